// What the baselines draw, on the desktop and in a page alike: one full-window square textured
// with a small picture made in memory, so that a baseline reads no file.
#pragma once

#include <GL/gl.h>
#include <cstddef>
#include <vector>

inline void makeBareTexture() {
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

// Clears, then draws the square.
inline void drawBareSquare() {
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
}
