// The page's GL stand-in, built for this machine against a GL that records what reaches the
// browser's: the colours a frame's batch hands to the shader must be those a desktop GL draws.
#include <gtest/gtest.h>

// Built with the stand-in's own definitions, so that the names below are GL's, not its macros.
#include "platform/WebGl.h"

#include <GL/glext.h>
#include <vector>

namespace {

// The vertices the last batch carried: place, texture coordinates, colour.
struct Vertex {
    GLfloat x, y, z, s, t, r, g, b, a;
};
std::vector<Vertex> uploaded;
std::vector<GLfloat> translation = {0, 0};
void (*frame)() = nullptr;

} // namespace

// The browser's GL as far as the stand-in reaches it: the batch's buffer and the modelview
// translation are kept, everything else is taken and dropped.
extern "C" {
void glBufferData(GLenum, GLsizeiptr size, const void* data, GLenum) {
    const auto* vertices = static_cast<const Vertex*>(data);
    uploaded.assign(vertices, vertices + size / GLsizeiptr(sizeof(Vertex)));
}
void glGetFloatv(GLenum, GLfloat* m) {
    for (int i = 0; i < 16; ++i) {
        m[i] = i % 5 == 0 ? 1.0f : 0.0f;
    }
    m[12] = translation[0];
    m[13] = translation[1];
}
void glTranslatef(GLfloat x, GLfloat y, GLfloat) {
    translation = {translation[0] + x, translation[1] + y};
}
void glutDisplayFunc(void (*display)()) {
    frame = display;
}
void glBegin(GLenum) {}
void glEnd() {}
void glVertex2f(GLfloat, GLfloat) {}
void glTexCoord2f(GLfloat, GLfloat) {}
void glNormal3f(GLfloat, GLfloat, GLfloat) {}
void glBindTexture(GLenum, GLuint) {}
void glPushMatrix() {}
void glPopMatrix() {}
void glLoadIdentity() {}
void glColor4f(GLfloat, GLfloat, GLfloat, GLfloat) {}
void glEnable(GLenum) {}
void glDisable(GLenum) {}
void glBlendFunc(GLenum, GLenum) {}
void glAlphaFunc(GLenum, GLclampf) {}
void glMatrixMode(GLenum) {}
void glTexParameteri(GLenum, GLenum, GLint) {}
void glTexImage2D(GLenum, GLint, GLint, GLsizei, GLsizei, GLint, GLenum, GLenum, const void*) {}
void glHint(GLenum, GLenum) {}
void glClear(GLbitfield) {}
void glScissor(GLint, GLint, GLsizei, GLsizei) {}
void glBindBuffer(GLenum, GLuint) {}
void glGenBuffers(GLsizei n, GLuint* buffers) {
    for (GLsizei i = 0; i < n; ++i) {
        buffers[i] = GLuint(i + 1);
    }
}
void glEnableClientState(GLenum) {}
void glDisableClientState(GLenum) {}
void glVertexPointer(GLint, GLenum, GLsizei, const void*) {}
void glTexCoordPointer(GLint, GLenum, GLsizei, const void*) {}
void glColorPointer(GLint, GLenum, GLsizei, const void*) {}
void glDrawArrays(GLenum, GLint, GLsizei) {}
}

namespace {

GLuint square = 0;
GLfloat tint[4] = {};

// A frame as the game draws a tinted sprite: the colour set, then the sprite's list called.
void drawTintedSquare() {
    webgl::color4f(tint[0], tint[1], tint[2], tint[3]);
    glCallList(square);
}

} // namespace

// The fire's column is tinted past 1 in green and alpha, and a tint may fall below 0: a desktop GL
// clamps each to 0..1 as it is set, so the batch must carry the clamped colour.
TEST(WebGlBatch, ColoursReachTheShaderClampedAsADesktopGlClampsThem) {
    square = glGenLists(1);
    glNewList(square, GL_COMPILE);
    webgl::begin(GL_QUADS);
    webgl::vertex2f(0, 0);
    webgl::vertex2f(1, 0);
    webgl::vertex2f(1, 1);
    webgl::vertex2f(0, 1);
    webgl::end();
    glEndList();
    webgl::displayFunc(drawTintedSquare);
    ASSERT_NE(frame, nullptr);

    const GLfloat given[][4] = {{1.0f, 1.1f, 0.5f, 1.0333f}, {-0.2f, 0.25f, 2.0f, -1.0f}};
    const GLfloat drawn[][4] = {{1.0f, 1.0f, 0.5f, 1.0f}, {0.0f, 0.25f, 1.0f, 0.0f}};
    for (int i = 0; i < 2; ++i) {
        std::copy(given[i], given[i] + 4, tint);
        uploaded.clear();
        frame();
        ASSERT_EQ(uploaded.size(), 6u) << "the square, as two triangles";
        for (const Vertex& v : uploaded) {
            EXPECT_EQ(v.r, drawn[i][0]);
            EXPECT_EQ(v.g, drawn[i][1]);
            EXPECT_EQ(v.b, drawn[i][2]);
            EXPECT_EQ(v.a, drawn[i][3]);
        }
    }
}
