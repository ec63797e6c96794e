// The GL side of the tests: one real 1024 by 768 GLUT window under the test's X server, with the
// game's camera, and read-back of what was drawn.
#pragma once

#include "support/TestPng.h"

#include <gtest/gtest.h>

#include <array>

// Opens the window once per process and sets the camera's viewport and projection.
void openTestWindow();

// Lets GLUT handle the window system's events (reshapes among them).
void pumpEvents();

// Draws one frame as the game's display callback draws it: in a page, through the GL stand-in's
// batch, whose clears count only inside a frame.
void drawAsAFrame(void (*draw)());

// The pixel at window column x, row y counted from the bottom, read from the back buffer.
Rgba readPixel(int x, int y);

// The window pixel that shows the world point (x, y) of the plane z = 0.
struct PixelPos {
    int x, y;
};
PixelPos worldToPixel(double x, double y);

std::array<float, 16> modelviewMatrix();

// Fills the colour buffer with one colour and clears depth.
void clearTo(float r, float g, float b);

// Draws an untextured square of world units from (x0, y0) to (x1, y1) in the current colour.
void fillWorldRect(float x0, float y0, float x1, float y1);

// Each channel within tolerance of the expected 0..1 value.
::testing::AssertionResult pixelNear(Rgba actual, float r, float g, float b, int tolerance = 3);
