// The game's window, the baseline frame, the looping player and memory readings.
#include "BenchSupport.h"

#include "shell/Camera.h"
#include "shell/GameState.h"
#include "shell/InputState.h"
#include "world/Fire.h"
#include "world/PickupManager.h"
#include "world/TileField.h"

#include <GL/freeglut.h>
#include <cmath>
#include <ctime>
#include <fstream>
#include <string>

namespace {

constexpr double kLoopCentreX = -12.0;
constexpr double kLoopCentreY = 37.5;
constexpr double kLoopRadius = 27.0;
constexpr double kPi = 3.14159265358979323846;

long statusKiB(const std::string& status, const char* field) {
    const std::size_t at = status.find(field);
    return at == std::string::npos ? -1 : std::stol(status.substr(at + std::string(field).size()));
}

} // namespace

void openGameWindow(int& argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(Camera::kWindowWidth, Camera::kWindowHeight);
    glutCreateWindow(Camera::kWindowTitle);
    glutPositionWindow(Camera::kWindowX, Camera::kWindowY);
    glutReshapeFunc([](int width, int height) { Camera::instance().reshape(width, height); });
    glutDisplayFunc([] {});
    pumpWindowEvents();
    Camera::instance().reshape(Camera::kWindowWidth, Camera::kWindowHeight);
}

void pumpWindowEvents() {
    for (int i = 0; i < 10; ++i) {
        glutMainLoopEvent();
    }
}

void drawBaselineFrame(unsigned texture) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPushMatrix();
    Camera::instance().apply();
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(-50.0f, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(50.0f, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(50.0f, 75.0f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(-50.0f, 75.0f);
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
    glutSwapBuffers();
    glFinish();
}

WorldPoint pointOnLoop(int frame) {
    const double angle = 2.0 * kPi * double(frame % kFramesPerLoop) / kFramesPerLoop;
    return {kLoopCentreX + kLoopRadius * std::cos(angle),
            kLoopCentreY + kLoopRadius * std::sin(angle)};
}

void layOutFreshRun() {
    fire.layOut();
    tileField.layOut();
    pickupManager.layOut();
    gameState = GameState::Playing;
}

void LoopingPlayer::startRun() {
    layOutFreshRun();
    frame_ = 0;
    ++runs_;
    InputState::instance().onMouseButton(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
    step();
}

void LoopingPlayer::step() {
    if (gameState != GameState::Playing) {
        startRun();
        return;
    }
    const WorldPoint pointer = pointOnLoop(frame_++);
    const WindowPixel pixel = Camera::pixelOf(pointer.x, pointer.y);
    InputState::instance().onDrag(pixel.x, pixel.y);
}

void LoopingPlayer::letGo() {
    InputState::instance().onMouseButton(GLUT_LEFT_BUTTON, GLUT_UP, 0, 0);
}

ResidentMemory residentMemory() {
    std::ifstream file("/proc/self/status");
    const std::string status((std::istreambuf_iterator<char>(file)),
                             std::istreambuf_iterator<char>());
    return {statusKiB(status, "VmRSS:"), statusKiB(status, "RssAnon:"),
            statusKiB(status, "RssFile:")};
}

long long monotonicNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000000000LL + now.tv_nsec;
}
