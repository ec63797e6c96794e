// The spine of the game: starts every object in order, owns the frame clock and turns every
// display callback into one frame of the current screen.
#pragma once

#include "shell/FrameClock.h"
#include "shell/GameState.h"

#include <vector>

class GameController {
  public:
    static GameController& instance();

    // Every picture loadImages builds, in the order it builds them: what start-up can decode
    // before the window exists.
    static std::vector<const char*> picturePaths();

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
    const FrameClock& clock() const { return clock_; }
    // The world's update pass, run in every playing frame.
    void update(float seconds);
    // One frame: tick, update when playing, draw the current screen, swap.
    void display();
    // Whether the screen needs another frame: always in play, and on the other screens until
    // their picture is up. A still screen is not drawn again until something changes.
    bool wantsFrame() const;
    // The window's contents were lost (a reshape clears them): the next frame must draw.
    void invalidate() { stillShown_ = false; }

  private:
    GameController();
    void drawPlayingFrame();
    void drawScreen();

    FrameClock clock_;
    // The still screen whose picture was last swapped onto the window, if it is still there.
    bool stillShown_ = false;
    GameState shownState_ = GameState::Title;
};
