// Plane distances, angle conversion and vector normalisation.
#include "util/Math.h"

#include <cmath>

double distanceSquared(double x1, double y1, double x2, double y2) {
    const double dx = x1 - x2;
    const double dy = y1 - y2;
    return dx * dx + dy * dy;
}

double distance(double x1, double y1, double x2, double y2) {
    return std::sqrt(distanceSquared(x1, y1, x2, y2));
}

double degToRad(float degrees) {
    return degrees * 0.017453292519943295;
}

void normalize(float& x, float& y, float& z) {
    const double length = std::sqrt(double(x) * x + double(y) * y + double(z) * z);
    if (!(length > 0.0)) {
        return;
    }
    const double f = 1.0 / length;
    x = float(x * f);
    y = float(y * f);
    z = float(z * f);
}
