// The web's baseline: a page built with the same toolchain and GL as the game that draws one
// full-window textured square at every animation frame, and nothing else.
#include <GL/glut.h>
#include <emscripten/html5.h>
#include <vector>

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

EM_BOOL drawFrame(double, void*) {
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
    return EM_TRUE;
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
    glutInitWindowSize(kWidth, kHeight);
    glutCreateWindow("Emberdash");
    makeTexture();
    emscripten_request_animation_frame_loop(drawFrame, nullptr);
    return 0;
}
