// What a page's GL lacks of the GL the game draws with, filled in. Emscripten's emulation of the
// fixed-function GL has no display lists and no attribute stack, takes no GL_CLAMP, wants a
// texture's format to match its data's, skews the vertices that follow a glNormal inside
// glBegin, and shows a glClear made outside a frame at once, as a blank canvas. The web build
// includes this header ahead of every source file; it names the calls that need help after
// functions of its own, so that the game's code reads the same on every platform.
#pragma once

#include <GL/gl.h>
#include <GL/glut.h>

namespace webgl {

void begin(GLenum mode);
void end();
void vertex2f(GLfloat x, GLfloat y);
void texCoord2f(GLfloat s, GLfloat t);
void normal3f(GLfloat x, GLfloat y, GLfloat z);
void bindTexture(GLenum target, GLuint texture);
void pushMatrix();
void popMatrix();
void translatef(GLfloat x, GLfloat y, GLfloat z);
void color4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha);
void enable(GLenum capability);
void disable(GLenum capability);
void blendFunc(GLenum source, GLenum destination);
void alphaFunc(GLenum function, GLclampf reference);
void matrixMode(GLenum mode);
void texParameteri(GLenum target, GLenum name, GLint value);
void texImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                GLint border, GLenum format, GLenum type, const void* pixels);
void hint(GLenum target, GLenum mode);
void shadeModel(GLenum mode);
void clear(GLbitfield mask);
void scissor(GLint x, GLint y, GLsizei width, GLsizei height);
void displayFunc(void (*display)());

// Draws as the page draws a frame: batched, and with its clears, as the display callback that
// displayFunc installs does.
void frame(void (*draw)());

} // namespace webgl

#ifndef EMBERDASH_WEB_GL_ITSELF
#define glBegin webgl::begin
#define glEnd webgl::end
#define glVertex2f webgl::vertex2f
#define glTexCoord2f webgl::texCoord2f
#define glNormal3f webgl::normal3f
#define glBindTexture webgl::bindTexture
#define glPushMatrix webgl::pushMatrix
#define glPopMatrix webgl::popMatrix
#define glTranslatef webgl::translatef
#define glColor4f webgl::color4f
#define glEnable webgl::enable
#define glDisable webgl::disable
#define glBlendFunc webgl::blendFunc
#define glAlphaFunc webgl::alphaFunc
#define glMatrixMode webgl::matrixMode
#define glTexParameteri webgl::texParameteri
#define glTexImage2D webgl::texImage2D
#define glHint webgl::hint
#define glShadeModel webgl::shadeModel
#define glClear webgl::clear
#define glScissor webgl::scissor
#define glutDisplayFunc webgl::displayFunc
#endif
