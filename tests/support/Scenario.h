// Builders for world scenarios shared by tests: put the fire here, heading there, this fast.
#pragma once

#include "world/Fire.h"

// Resets the global fire to its start, then places it and its target.
inline Fire& placeFire(float x, float y, float targetX, float targetY, float vx = 0.0f,
                       float vy = 0.0f) {
    fire.layOut();
    fire.setX(x);
    fire.setY(y);
    fire.setVx(vx);
    fire.setVy(vy);
    fire.setTargetX(targetX);
    fire.setTargetY(targetY);
    return fire;
}
