// The spine of the game: starts every object in order, owns the frame clock and turns every
// display callback into one frame of the current screen.
#pragma once

#include "shell/FrameClock.h"

class GameController {
  public:
    static GameController& instance();

    // Sets the GL state and loads everything; needs the window's GL context. The steps below,
    // in this order, are the whole of it.
    void init();
    void setUpGl();
    // Every picture: the screens, the fire, the floor and the pickups.
    void loadImages();
    // The score's font; throws std::runtime_error when it cannot be built.
    void loadFont();
    // The sound bank, then the music, which starts on the title screen and loops from then on.
    void loadSounds();
    // Advances the frame clock from GLUT's millisecond counter.
    void tick();
    double frameSeconds() const { return clock_.frameSeconds; }
    // The world's update pass, run in every playing frame.
    void update(float seconds);
    // One frame: tick, update when playing, draw the current screen, swap.
    void display();

  private:
    GameController();
    void drawPlayingFrame();
    void drawScreen();

    FrameClock clock_;
};
