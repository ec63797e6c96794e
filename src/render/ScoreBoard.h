// The player's score, drawn beside the floor during play and large on the game-over screen. It
// also sets up the game's font.
#pragma once

class ScoreBoard {
  public:
    // The game's one font, which start-up cannot do without.
    static constexpr const char* kFontPath = "./fonts/rabiohead.ttf";

    static ScoreBoard& instance();

    // Starts rendering the font's glyphs ahead of init, on a worker thread; needs no GL.
    static void prepareFont();
    // Waits for that worker, if it still runs; init takes its glyphs otherwise.
    static void finishPreparingFont();
    // Loads the font; throws std::runtime_error when it cannot be built.
    void init();
    void add(int points) { score_ += points; }
    int score() const { return score_; }

    // "Score:" and the number, to the right of the floor.
    void drawScore() const;
    // "Your Score: N" over the game-over picture.
    void drawFinalScore() const;

  private:
    ScoreBoard() = default;

    int score_ = 0;
};
