// Fire steering, clamping and drawing.
#include "world/Fire.h"

#include "render/SpriteList.h"
#include "util/Math.h"

#include <GL/gl.h>

namespace {

// Spacing of the flame-column layers above the fire's centre.
constexpr float kColumnStep = 0.3f;
// The brake engages when the target is nearer than this many units per second of frame.
constexpr float kBrakeReach = 28.0f;

struct Layer {
    float r, g, b, a;
};

// Column layers drawn top first: from a faint yellow top to an opaque red-orange foot. Components
// above 1 are passed on unchanged; the pipeline treats them as 1.
constexpr Layer kColumnTints[Fire::kColumnLayers] = {
    {1.0f, 1.1f, 0.0f, 0.3666667f}, {1.0f, 0.9f, 0.0f, 0.5333333f}, {1.0f, 0.7f, 0.0f, 0.7f},
    {1.0f, 0.5f, 0.0f, 0.8666667f}, {1.0f, 0.3f, 0.0f, 1.0333333f},
};
constexpr Layer kBaseTint = {1.0f, 0.1f, 0.0f, 1.0f};
constexpr Layer kCoreTint = {1.0f, 1.0f, 1.0f, 1.0f};

void drawSprite(int list, float x, float y, float side, const Layer& tint) {
    glColor4f(tint.r, tint.g, tint.b, tint.a);
    drawSpriteList(list, x, y, side, side);
}

} // namespace

void Fire::layOut() {
    targetX_ = targetY_ = 0.0f;
    x_ = y_ = 0.0f;
    vx_ = vy_ = 0.0f;
    size_ = 2.0f;
}

void Fire::load() {
    layOut();
    // Each list gets a texture of its own, the column's too, although it shows the same file.
    buildOwnSpriteList(baseList_, kPicturePaths[0]);
    buildOwnSpriteList(coreList_, kPicturePaths[1]);
    buildOwnSpriteList(columnList_, kPicturePaths[2]);
}

void Fire::update(float seconds) {
    // The brake measures from where the fire stood before this update's move.
    const double toTargetSquared = distanceSquared(x_, y_, targetX_, targetY_);
    steer();
    brakeOnArrival(seconds, toTargetSquared);
    x_ += vx_ * seconds;
    y_ += vy_ * seconds;
    clampToFloor();
    for (int k = 0; k < kColumnLayers; ++k) {
        columnX_[k] = x_;
        columnY_[k] = y_ + kColumnStep * float(k + 1);
    }
}

void Fire::steer() {
    float dx = targetX_ - x_;
    float dy = targetY_ - y_;
    float dz = 0.0f;
    normalize(dx, dy, dz);
    float wx = vx_ + dx;
    float wy = vy_ + dy;
    if (wx * wx + wy * wy > kMaxSpeed * kMaxSpeed) {
        normalize(wx, wy, dz);
        wx *= kMaxSpeed;
        wy *= kMaxSpeed;
    }
    vx_ = wx;
    vy_ = wy;
}

void Fire::brakeOnArrival(float seconds, double distanceToTargetSquared) {
    const double reach = double(kBrakeReach) * kBrakeReach * seconds * seconds;
    if (!(reach > distanceToTargetSquared)) {
        return;
    }
    float ux = vx_;
    float uy = vy_;
    float uz = 0.0f;
    normalize(ux, uy, uz);
    vx_ -= ux;
    vy_ -= uy;
    // Deliberately against 0 from below on both axes, whatever the direction of travel: a fire
    // heading toward -x or -y stops dead on arrival.
    if (vx_ < 0.0f) {
        vx_ = 0.0f;
    }
    if (vy_ < 0.0f) {
        vy_ = 0.0f;
    }
}

void Fire::clampToFloor() {
    // The velocity is kept, so the fire goes on pressing against the edge until steered away.
    if (x_ < kMinX) {
        x_ = kMinX;
    } else if (x_ > kMaxX) {
        x_ = kMaxX;
    }
    if (y_ < kMinY) {
        y_ = kMinY;
    } else if (y_ > kMaxY) {
        y_ = kMaxY;
    }
}

void Fire::draw() const {
    beginSpriteBatch();

    const float side = 2.0f * size_;
    for (int row = 0; row < kColumnLayers; ++row) {
        const int layer = kColumnLayers - 1 - row;
        drawSprite(columnList_, columnX_[layer], columnY_[layer], side, kColumnTints[row]);
    }
    drawSprite(baseList_, x_, y_, side, kBaseTint);
    drawSprite(coreList_, x_, y_, side, kCoreTint);

    endSpriteBatch();
}
