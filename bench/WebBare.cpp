// The web's baseline: a page built with the same toolchain and GL as the game that draws one
// full-window textured square at every animation frame, and nothing else.
#include "BareSquare.h"

#include <GL/glut.h>
#include <emscripten/html5.h>

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

EM_BOOL drawFrame(double, void*) {
    drawBareSquare();
    return EM_TRUE;
}

} // namespace

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(kWidth, kHeight);
    glutCreateWindow("Emberdash");
    makeBareTexture();
    emscripten_request_animation_frame_loop(drawFrame, nullptr);
    return 0;
}
