// The player's fire: chases the target point set by the mouse, capped in speed, braking on
// arrival and held over the floor; drawn as seven stacked, tinted flame sprites.
#pragma once

#include "world/Entity.h"

class Fire : public Entity {
  public:
    // The pictures load builds, in its order: the base, the core, and the column, which shows the
    // base's picture again with a texture of its own.
    static constexpr const char* kPicturePaths[3] = {
        "./images/fireback.png", "./images/firemiddle.png", "./images/fireback.png"};
    static constexpr float kMaxSpeed = 14.0f;
    // The area of the tile centres, which the fire never leaves.
    static constexpr float kMinX = -45.0f;
    static constexpr float kMaxX = 21.0f;
    static constexpr float kMinY = 4.5f;
    static constexpr float kMaxY = 70.5f;
    static constexpr int kColumnLayers = 5;

    Fire() = default;

    // Puts the fire at its start and builds its sprites (needs a GL context).
    void load();
    // The GL-free half of load: start position, velocity, size and target.
    void layOut();

    void setTargetX(float x) { targetX_ = x; }
    void setTargetY(float y) { targetY_ = y; }
    float targetX() const { return targetX_; }
    float targetY() const { return targetY_; }
    float columnX(int layer) const { return columnX_[layer]; }
    float columnY(int layer) const { return columnY_[layer]; }

    // One step of motion; the steering gains one unit of speed per call, whatever the seconds.
    void update(float seconds);
    void draw() const;

  private:
    void steer();
    void brakeOnArrival(float seconds, double distanceToTargetSquared);
    void clampToFloor();

    float targetX_ = 0.0f;
    float targetY_ = 0.0f;
    float columnX_[kColumnLayers] = {};
    float columnY_[kColumnLayers] = {};
    int baseList_ = -1;
    int coreList_ = -1;
    int columnList_ = -1;
};

extern Fire fire;
