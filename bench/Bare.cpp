// The start-up baseline: a bare GLUT program that opens the game's window, draws one textured
// square and swaps, and prints the moment (CLOCK_MONOTONIC, in nanoseconds) its first frame was
// on the screen. It links GL and GLUT alone, so it costs what any such window costs.
#include "BareSquare.h"
#include "shell/Camera.h"

#include <GL/freeglut.h>
#include <cstdio>
#include <ctime>

namespace {

bool drawn = false;

void drawFrame() {
    drawBareSquare();
    glutSwapBuffers();
    glFinish();
    drawn = true;
}

} // namespace

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(Camera::kWindowWidth, Camera::kWindowHeight);
    glutCreateWindow(Camera::kWindowTitle);
    glutPositionWindow(Camera::kWindowX, Camera::kWindowY);
    glutDisplayFunc(drawFrame);
    makeBareTexture();
    glutPostRedisplay();
    while (!drawn) {
        glutMainLoopEvent();
    }
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::printf("%lld\n", (long long)now.tv_sec * 1000000000LL + now.tv_nsec);
    return 0;
}
