// Entity motion, lifetime and blinking, and drawing as a pickup.
#include "world/Entity.h"

#include "render/SpriteList.h"
#include "world/PickupManager.h"

#include <GL/gl.h>
#include <cmath>

void Entity::update(float seconds) {
    x_ += seconds * vx_;
    y_ += seconds * vy_;
    if (lifetime_ > 0.0f) {
        lifetime_ -= seconds;
        if (lifetime_ < kBlinkSeconds) {
            if (blinkTimer_ <= 0.0f) {
                blinkTimer_ = kBlinkInterval;
                alpha_ = std::abs(alpha_ - 1.0f);
            } else {
                blinkTimer_ -= seconds;
            }
        }
    }
}

void Entity::draw() const {
    glColor4f(1.0f, 1.0f, 1.0f, alpha_);
    drawSpriteList(pickupLists[kind_], x_, y_, 2.0f * size_, 2.0f * size_);
}
