// The base of the fire and of every pickup: a position, a velocity, a size, an optional lifetime
// with a blinking end, a kind and an opacity.
#pragma once

class Entity {
  public:
    Entity() = default;

    // Moves by the velocity and, when a lifetime is set, counts it down; in its last three
    // seconds the entity blinks, toggling its opacity every 0.1 s.
    void update(float seconds);
    // Draws the entity as a pickup: its kind's sprite, 2 x size wide, at its opacity.
    void draw() const;

    float x() const { return x_; }
    float y() const { return y_; }
    float vx() const { return vx_; }
    float vy() const { return vy_; }
    float size() const { return size_; }
    float lifetime() const { return lifetime_; }
    float blinkTimer() const { return blinkTimer_; }
    float alpha() const { return alpha_; }
    int kind() const { return kind_; }

    void setX(float x) { x_ = x; }
    void setY(float y) { y_ = y; }
    void setVx(float vx) { vx_ = vx; }
    void setVy(float vy) { vy_ = vy; }
    void setSize(float size) { size_ = size; }
    void setLifetime(float lifetime) { lifetime_ = lifetime; }
    void setKind(int kind) { kind_ = kind; }

  protected:
    static constexpr float kBlinkSeconds = 3.0f;
    static constexpr float kBlinkInterval = 0.1f;

    float x_ = 0.0f;
    float y_ = 0.0f;
    float vx_ = 0.0f;
    float vy_ = 0.0f;
    float size_ = 2.0f;
    // Seconds left; 0 or less means no countdown runs and the owner decides when it goes.
    float lifetime_ = -1.0f;
    int kind_ = 0;
    float blinkTimer_ = kBlinkInterval;
    float alpha_ = 1.0f;
};
