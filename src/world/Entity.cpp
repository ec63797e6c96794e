// Entity motion, lifetime and blinking.
#include "world/Entity.h"

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
