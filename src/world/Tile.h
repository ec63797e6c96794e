// One floor tile: its centre, side, heat and whether it is intact or burnt through.
#pragma once

enum class TileState : int {
    Intact = 0, // floor present, tinted by heat
    Burnt = 1,  // burnt through: a hole
};

class Tile {
  public:
    static constexpr float kSize = 6.0f;

    Tile(float x, float y) : x_(x), y_(y) {}

    float x() const { return x_; }
    float y() const { return y_; }
    float size() const { return size_; }
    float heat() const { return heat_; }
    TileState state() const { return state_; }

    void setHeat(float heat) { heat_ = heat; }
    void setState(TileState state) { state_ = state; }

    // Draws the tile with one of the two lists indexed by state, tinted from white toward red as
    // it heats.
    void draw(const int (&stateLists)[2]) const;

  private:
    float x_;
    float y_;
    float size_ = kSize;
    float heat_ = 0.0f;
    TileState state_ = TileState::Intact;
};
