// The start-up baseline: a bare GLUT program that opens the game's window, draws one textured
// square and swaps, and prints the moment (CLOCK_MONOTONIC, in nanoseconds) its first frame was
// on the screen. It links GL and GLUT alone, so it costs what any such window costs.
#include "shell/Camera.h"

#include <GL/freeglut.h>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

bool drawn = false;

void drawFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(-1.0f, -1.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(1.0f, -1.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(1.0f, 1.0f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
    glutSwapBuffers();
    glFinish();
    drawn = true;
}

// A small picture made in memory: the baseline reads no file.
void makeTexture() {
    constexpr int kSide = 64;
    std::vector<GLubyte> texels(kSide * kSide * 3);
    for (int i = 0; i < kSide * kSide; ++i) {
        texels[std::size_t(i) * 3] = GLubyte(i % kSide * 4);
        texels[std::size_t(i) * 3 + 1] = GLubyte(i / kSide * 4);
        texels[std::size_t(i) * 3 + 2] = 128;
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, kSide, kSide, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 texels.data());
}

} // namespace

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(Camera::kWindowWidth, Camera::kWindowHeight);
    glutCreateWindow(Camera::kWindowTitle);
    glutPositionWindow(Camera::kWindowX, Camera::kWindowY);
    glutDisplayFunc(drawFrame);
    makeTexture();
    glutPostRedisplay();
    while (!drawn) {
        glutMainLoopEvent();
    }
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::printf("%lld\n", (long long)now.tv_sec * 1000000000LL + now.tv_nsec);
    return 0;
}
