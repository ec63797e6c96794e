// Whole display passes in every state, and the press that starts play.
#include <gtest/gtest.h>

#include "shell/GameController.h"
#include "shell/GameState.h"
#include "shell/InputState.h"
#include "shell/MainLoop.h"
#include "support/GlContext.h"
#include "support/Scenario.h"
#include "support/ScratchDir.h"

#include <GL/freeglut.h>
#include <algorithm>
#include <cstdint>

TEST(GameController, StartsOnTheTitleAndKeepsTheModelviewBalancedInEveryState) {
    ScratchDir dir;
    writeSolidPng("images/fireback.png", 8, 8, {255, 255, 255, 255});
    dir.copyGameData("fonts/rabiohead.ttf");
    GameController& controller = GameController::instance();
    gameState = GameState::GameOver;
    controller.init();
    EXPECT_EQ(gameState, GameState::Title);
    // The clear colour is white and depth testing is on.
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0] + clear[1] + clear[2] + clear[3], 4.0f);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    const auto before = modelviewMatrix();
    for (GameState state :
         {GameState::Title, GameState::Instructions, GameState::Playing, GameState::GameOver}) {
        gameState = state;
        for (int frame = 0; frame < 3; ++frame) {
            controller.display();
            ASSERT_EQ(modelviewMatrix(), before) << "state " << int(state);
        }
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(GameController, WorldStandsStillOutsidePlay) {
    GameController& controller = GameController::instance();
    for (GameState state : {GameState::Title, GameState::Instructions, GameState::GameOver}) {
        gameState = state;
        placeFire(0.0f, 10.0f, 20.0f, 60.0f, 5.0f, 5.0f);
        for (int frame = 0; frame < 3; ++frame) {
            glutMainLoopEvent();
            controller.display();
        }
        EXPECT_EQ(fire.x(), 0.0f);
        EXPECT_EQ(fire.vx(), 5.0f);
    }
    gameState = GameState::Playing;
    controller.update(0.0f);
    EXPECT_GT(fire.vx(), 5.0f);
}

TEST(GameController, ThePressThatStartsPlayClearsAndItsReleaseAimsTheFire) {
    gameState = GameState::Instructions;
    placeFire(0.0f, 10.0f, 0.0f, 0.0f);
    InputState& input = InputState::instance();
    input.onHover(1024, 0);

    glClearColor(0, 1, 0, 1);
    glColor3f(1, 0, 0);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT);
    glRectf(-1, -1, 1, 1);
    input.onMouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, 1024, 0);
    EXPECT_EQ(gameState, GameState::Playing);
    EXPECT_TRUE(pixelNear(readPixel(512, 384), 0, 1, 0));
    EXPECT_EQ(fire.targetX(), 0.0f); // the press only changes the screen

    input.onMouseButton(GLUT_LEFT_BUTTON, GLUT_UP, 1024, 0);
    EXPECT_FLOAT_EQ(fire.targetX(), 50.0f);
    EXPECT_FLOAT_EQ(fire.targetY(), 75.0f);
}

namespace {

// The clock's readings around the still screen and the first playing frame after it. The press
// is made only once the clock has ticked since the picture went up, however the machine's load
// orders GLUT's timers, and everything is judged on the clock's own readings.
struct StillScreenRecord {
    std::int32_t pictureUpMs = -1;   // the tick of the frame that put the still picture up
    std::int32_t lastTickMs = -1;    // the clock's last tick before the first playing frame
    std::int32_t playingTickMs = -1; // the first playing frame's own tick
    double playingSeconds = -1.0;    // and the seconds it was given
    bool pressArmed = false;
    int pressDelays = 0;
};
StillScreenRecord still;

constexpr unsigned kPressAfterMs = 300;
// A clock that never ticks on the still screen gets the press all the same, to fail the test.
constexpr int kMostPressDelays = 10;

void pressOnceTheClockHasTicked(int) {
    if (GameController::instance().clock().currentMs == still.pictureUpMs &&
        ++still.pressDelays < kMostPressDelays) {
        glutTimerFunc(kPressAfterMs, pressOnceTheClockHasTicked, 0);
        return;
    }
    EXPECT_FALSE(GameController::instance().wantsFrame()) << "the still screen is redrawn";
    InputState::instance().onMouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
    wakeFrames();
}

void displayAndRecord() {
    GameController& controller = GameController::instance();
    const bool playing = gameState == GameState::Playing;
    const std::int32_t lastTickMs = controller.clock().currentMs;
    controller.display();
    if (!playing && !still.pressArmed) {
        still.pictureUpMs = controller.clock().currentMs;
        still.pressArmed = true;
        glutTimerFunc(kPressAfterMs, pressOnceTheClockHasTicked, 0);
    } else if (playing && still.playingSeconds < 0.0) {
        still.lastTickMs = lastTickMs;
        still.playingTickMs = controller.clock().currentMs;
        still.playingSeconds = controller.frameSeconds();
        glutLeaveMainLoop();
    }
}

} // namespace

TEST(GameController, AfterALongStillScreenTheFirstPlayingFrameGetsAFramesSeconds) {
    // The real main loop: the instructions are drawn once and left standing, with no frame drawn
    // meanwhile; then a press starts play.
    registerCallbacks();
    glutDisplayFunc(displayAndRecord);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    gameState = GameState::Instructions;
    glutMainLoop();
    ASSERT_GE(still.playingSeconds, 0.0) << "play never drew a frame";
    // The clock went on ticking while the picture stood, and the first playing frame is measured
    // from its last tick, not from when the picture went up.
    EXPECT_GT(still.lastTickMs, still.pictureUpMs) << "the clock stood still with the picture";
    const double sinceLastTick = double(still.playingTickMs - still.lastTickMs) * 0.001;
    EXPECT_DOUBLE_EQ(still.playingSeconds, std::min(sinceLastTick, FrameClock::kMaxFrameSeconds));
}
