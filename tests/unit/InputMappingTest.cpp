// Pointer mapping onto the play plane, and the button and motion rules that need no GL.
#include <gtest/gtest.h>

#include "shell/GameState.h"
#include "shell/InputState.h"
#include "support/Scenario.h"

#include <GL/glut.h>

namespace {

void expectMapsTo(int x, int y, float worldX, float worldY) {
    InputState& input = InputState::instance();
    input.onHover(x, y);
    EXPECT_NEAR(input.worldX(), worldX, 1e-5) << "pixel (" << x << ", " << y << ")";
    EXPECT_NEAR(input.worldY(), worldY, 1e-5) << "pixel (" << x << ", " << y << ")";
}

// Starts from a playing game with every button up and the fire aimed at the origin.
InputState& playingInput() {
    gameState = GameState::Playing;
    InputState& input = InputState::instance();
    for (int button = 0; button < 3; ++button) {
        input.onMouseButton(button, GLUT_UP, 0, 0);
    }
    placeFire(0.0f, 10.0f, 0.0f, 0.0f);
    return input;
}

} // namespace

TEST(InputMapping, WindowCornersAndCentreLandOnTheViewCorners) {
    expectMapsTo(512, 384, 0.0f, 37.5f);
    expectMapsTo(0, 0, -50.0f, 75.0f);
    expectMapsTo(1024, 768, 50.0f, 0.0f);
    expectMapsTo(1, 767, -50.0f + 0.09765625f, 75.0f - 767 * 0.09765625f);
}

TEST(InputMapping, PositionsOutsideTheWindowAreClampedToItsEdge) {
    expectMapsTo(-300, 384, -50.0f, 37.5f);
    expectMapsTo(512, -20, 0.0f, 75.0f);
    expectMapsTo(5000, 5000, 50.0f, 0.0f);
}

TEST(InputSteering, LeftDragSetsTheTargetOtherDragsAndHoversDoNot) {
    InputState& input = playingInput();
    input.onHover(612, 384);
    EXPECT_EQ(fire.targetX(), 0.0f);

    input.onMouseButton(GLUT_RIGHT_BUTTON, GLUT_DOWN, 0, 0);
    EXPECT_FLOAT_EQ(fire.targetX(), 100 * 0.09765625f); // a press aims at the last tracked point
    input.onDrag(712, 384);
    EXPECT_FLOAT_EQ(fire.targetX(), 100 * 0.09765625f); // right-button drags do not steer
    input.onMouseButton(GLUT_RIGHT_BUTTON, GLUT_UP, 0, 0);

    input.onMouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
    input.onDrag(-100, -100);
    EXPECT_FLOAT_EQ(fire.targetX(), -50.0f);
    EXPECT_FLOAT_EQ(fire.targetY(), 75.0f);
}

TEST(InputScreens, PressesLeaveTheTitleAndNothingLeavesGameOver) {
    InputState& input = playingInput();
    gameState = GameState::Title;
    input.onMouseButton(GLUT_MIDDLE_BUTTON, GLUT_UP, 0, 0);
    EXPECT_EQ(gameState, GameState::Title); // releases never change the screen
    input.onMouseButton(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 0, 0);
    EXPECT_EQ(gameState, GameState::Instructions);

    // Wheel turns come as buttons 3 and 4: not recorded, not a press.
    input.onMouseButton(3, GLUT_DOWN, 0, 0);
    input.onMouseButton(4, GLUT_DOWN, 0, 0);
    EXPECT_EQ(gameState, GameState::Instructions);

    gameState = GameState::GameOver;
    input.onHover(700, 100);
    for (int button = 0; button < 3; ++button) {
        input.onMouseButton(button, GLUT_DOWN, 0, 0);
        EXPECT_EQ(gameState, GameState::GameOver);
    }
    // The release still aims the fire, which no longer moves.
    input.onMouseButton(GLUT_LEFT_BUTTON, GLUT_UP, 0, 0);
    EXPECT_FLOAT_EQ(fire.targetX(), input.worldX());
}
