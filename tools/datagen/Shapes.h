// Shapes as signed distances (negative inside, in pixels), their anti-aliased coverage and glow,
// and deterministic noise for texture.
#pragma once

#include <utility>
#include <vector>

struct Point {
    float x, y;
};

float circleDistance(Point p, Point centre, float radius);
float boxDistance(Point p, Point centre, float halfWidth, float halfHeight, float cornerRadius = 0);
// Any simple polygon, its corners in order.
float polygonDistance(Point p, const std::vector<Point>& corners);

// Coverage of a pixel by a shape, from its signed distance: a one-pixel soft edge.
float coverage(float distance, float feather = 1.0f);
// A glow that falls off outside the shape over about radius pixels; 1 inside.
float glow(float distance, float radius);

// Smooth value noise in [0, 1] with features about one unit apart.
float valueNoise(float x, float y, unsigned seed);
// Several octaves of value noise, in [0, 1].
float fractalNoise(float x, float y, unsigned seed, int octaves = 4);
// A repeatable pseudo-random number in [0, 1) for an integer key.
float hashUnit(unsigned key);
