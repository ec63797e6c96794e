// Plane distances and rectangles, angle conversion and vector normalisation shared by the world,
// the camera and the drawing.
#pragma once

// A rectangle of the plane z = 0, in world units.
struct PlaneRect {
    double left, right, bottom, top;
};

// (x1, y1) is one point and (x2, y2) the other.
double distanceSquared(double x1, double y1, double x2, double y2);
double distance(double x1, double y1, double x2, double y2);

double degToRad(float degrees);

// Scales (x, y, z) to unit length in place. A zero vector has no direction and is left as it
// is, so callers never see an infinite or not-a-number component.
void normalize(float& x, float& y, float& z);
