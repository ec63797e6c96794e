// A GLUT window for GL tests and pixel read-back.
#include <gtest/gtest.h>

#include "support/GlContext.h"

#include "shell/Camera.h"

#ifdef __EMSCRIPTEN__
#include <GL/glut.h>
#else
#include <GL/freeglut.h>
#endif
#include <cmath>

void openTestWindow() {
    static bool open = false;
    if (open) {
        return;
    }
    open = true;
    int argc = 1;
    char name[] = "emberdash-gl-test";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(Camera::kWindowWidth, Camera::kWindowHeight);
    glutCreateWindow("emberdash test");
    // Drawing happens outside any GLUT callback; an empty display callback keeps GLUT content.
    glutDisplayFunc([] {});
    glutReshapeFunc([](int, int) {});
    pumpEvents();
    Camera::instance().reshape(Camera::kWindowWidth, Camera::kWindowHeight);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
#ifndef __EMSCRIPTEN__
    glReadBuffer(GL_BACK);
#endif
}

// A page's GLUT hands events to the browser's own loop, which runs between frames.
void pumpEvents() {
#ifndef __EMSCRIPTEN__
    for (int i = 0; i < 10; ++i) {
        glutMainLoopEvent();
    }
#endif
}

void drawAsAFrame(void (*draw)()) {
#ifdef __EMSCRIPTEN__
    webgl::frame(draw);
#else
    draw();
#endif
}

Rgba readPixel(int x, int y) {
    GLubyte rgba[4] = {};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return {rgba[0], rgba[1], rgba[2], rgba[3]};
}

PixelPos worldToPixel(double x, double y) {
    // Read-back counts rows from the bottom.
    const WindowPixel pixel = Camera::pixelOf(x, y);
    return {pixel.x, Camera::kWindowHeight - 1 - pixel.y};
}

std::array<float, 16> modelviewMatrix() {
    std::array<float, 16> m{};
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    return m;
}

void clearTo(float r, float g, float b) {
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void fillWorldRect(float x0, float y0, float x1, float y1) {
    glBegin(GL_QUADS);
    glVertex2f(x0, y0);
    glVertex2f(x1, y0);
    glVertex2f(x1, y1);
    glVertex2f(x0, y1);
    glEnd();
}

::testing::AssertionResult pixelNear(Rgba actual, float r, float g, float b, int tolerance) {
    const int expected[3] = {int(std::lround(r * 255)), int(std::lround(g * 255)),
                             int(std::lround(b * 255))};
    const int got[3] = {actual.r, actual.g, actual.b};
    for (int c = 0; c < 3; ++c) {
        if (std::abs(expected[c] - got[c]) > tolerance) {
            return ::testing::AssertionFailure()
                   << "pixel (" << got[0] << ", " << got[1] << ", " << got[2] << ") expected ("
                   << expected[0] << ", " << expected[1] << ", " << expected[2] << ")";
        }
    }
    return ::testing::AssertionSuccess();
}
