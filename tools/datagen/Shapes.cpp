// Signed distances, coverage and noise.
#include "Shapes.h"

#include <algorithm>
#include <cmath>

float circleDistance(Point p, Point centre, float radius) {
    return std::hypot(p.x - centre.x, p.y - centre.y) - radius;
}

float boxDistance(Point p, Point centre, float halfWidth, float halfHeight, float cornerRadius) {
    const float qx = std::abs(p.x - centre.x) - halfWidth + cornerRadius;
    const float qy = std::abs(p.y - centre.y) - halfHeight + cornerRadius;
    const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - cornerRadius;
}

float polygonDistance(Point p, const std::vector<Point>& v) {
    float best = (p.x - v[0].x) * (p.x - v[0].x) + (p.y - v[0].y) * (p.y - v[0].y);
    float sign = 1;
    for (std::size_t i = 0, j = v.size() - 1; i < v.size(); j = i++) {
        const float ex = v[j].x - v[i].x, ey = v[j].y - v[i].y;
        const float wx = p.x - v[i].x, wy = p.y - v[i].y;
        const float t = std::clamp((wx * ex + wy * ey) / (ex * ex + ey * ey), 0.0f, 1.0f);
        const float bx = wx - ex * t, by = wy - ey * t;
        best = std::min(best, bx * bx + by * by);
        // Crossing count by the winding of each edge around p.
        const bool a = p.y >= v[i].y, b = p.y<v[j].y, c = ex * wy> ey * wx;
        if ((a && b && c) || (!a && !b && !c)) {
            sign = -sign;
        }
    }
    return sign * std::sqrt(best);
}

float coverage(float distance, float feather) {
    return std::clamp(0.5f - distance / feather, 0.0f, 1.0f);
}

float glow(float distance, float radius) {
    return distance <= 0 ? 1.0f : std::exp(-distance / radius);
}

float hashUnit(unsigned key) {
    key ^= key >> 16;
    key *= 0x7feb352du;
    key ^= key >> 15;
    key *= 0x846ca68bu;
    key ^= key >> 16;
    return float(key >> 8) / float(1u << 24);
}

namespace {

float lattice(int x, int y, unsigned seed) {
    return hashUnit(unsigned(x) * 73856093u ^ unsigned(y) * 19349663u ^ seed * 83492791u);
}

} // namespace

float valueNoise(float x, float y, unsigned seed) {
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    float fx = x - x0, fy = y - y0;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    const float top =
        lattice(x0, y0, seed) + (lattice(x0 + 1, y0, seed) - lattice(x0, y0, seed)) * fx;
    const float bottom = lattice(x0, y0 + 1, seed) +
                         (lattice(x0 + 1, y0 + 1, seed) - lattice(x0, y0 + 1, seed)) * fx;
    return top + (bottom - top) * fy;
}

float fractalNoise(float x, float y, unsigned seed, int octaves) {
    float sum = 0, weight = 0, amplitude = 1, frequency = 1;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * valueNoise(x * frequency, y * frequency, seed + unsigned(i) * 101u);
        weight += amplitude;
        amplitude *= 0.5f;
        frequency *= 2.0f;
    }
    return sum / weight;
}
