// The page's GL filled in: display lists, the attribute stack, and the calls the emulation takes
// otherwise than a desktop GL.
//
// A list is recorded once, its squares as triangles. Replaying it adds them to the frame's batch,
// placed by the modelview matrix and coloured by the current colour on the processor; the batch
// is drawn as one buffer and one draw whenever the state it is drawn with changes (a texture,
// a capability, the blending, the scissor box), and at the end of the frame. The emulation spends
// some fifteen WebGL calls on every draw, and the browser's GL most of a frame on the floor's 144
// squares drawn one by one; batched, the floor is a handful of draws. Lists are drawn in the order
// they are called, so what one covers of another is as on the desktop.
#include "platform/WebGl.h"

#include <GL/glext.h>
#include <algorithm>
#include <cstddef>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

// A vertex of a list: position, then texture coordinates.
struct ListVertex {
    GLfloat x, y, s, t;
};

// One step of a display list, as the game's lists use them.
struct ListStep {
    enum class Kind { BindTexture, PushMatrix, PopMatrix, Translate, Draw } kind;
    GLuint texture = 0;
    GLfloat x = 0, y = 0, z = 0;
    std::vector<ListVertex> triangles = {};
};

// A vertex of the frame's batch: placed, textured and coloured.
struct BatchVertex {
    GLfloat x, y, z, s, t, r, g, b, a;
};

std::unordered_map<GLuint, std::vector<ListStep>> lists;
GLuint nextList = 1;
GLuint listBase = 0;

// The list being recorded (0 when none), and the vertices of the glBegin being recorded.
GLuint recording = 0;
std::vector<ListStep> recorded;
bool insideBegin = false;
GLenum beginMode = GL_QUADS;
std::vector<ListVertex> vertices;
GLfloat texS = 0, texT = 0;

// The state the attribute stack saves, as far as the game changes it.
struct Attributes {
    GLbitfield mask = 0;
    GLuint listBase = 0;
    GLfloat color[4] = {1, 1, 1, 1};
    std::vector<std::pair<GLenum, bool>> enabled;
    GLenum matrixMode = GL_MODELVIEW;
};
Attributes current;
std::vector<Attributes> attributeStack;

bool& enabledFlag(GLenum capability) {
    for (auto& [cap, on] : current.enabled) {
        if (cap == capability) {
            return on;
        }
    }
    current.enabled.emplace_back(capability, false);
    return current.enabled.back().second;
}

void (*gameDisplay)() = nullptr;
bool insideFrame = false;

std::vector<BatchVertex> batch;
GLuint batchBuffer = 0;
GLuint boundTexture = 0;

void flushBatch() {
    if (batch.empty()) {
        return;
    }
    if (batchBuffer == 0) {
        glGenBuffers(1, &batchBuffer);
    }
    glBindBuffer(GL_ARRAY_BUFFER, batchBuffer);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(batch.size() * sizeof(BatchVertex)), batch.data(),
                 GL_STREAM_DRAW);
    // The vertices are placed already.
    if (current.matrixMode != GL_MODELVIEW) {
        glMatrixMode(GL_MODELVIEW);
    }
    glPushMatrix();
    glLoadIdentity();
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(BatchVertex), nullptr);
    glTexCoordPointer(2, GL_FLOAT, sizeof(BatchVertex),
                      reinterpret_cast<const void*>(offsetof(BatchVertex, s)));
    glColorPointer(4, GL_FLOAT, sizeof(BatchVertex),
                   reinterpret_cast<const void*>(offsetof(BatchVertex, r)));
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(batch.size()));
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glPopMatrix();
    if (current.matrixMode != GL_MODELVIEW) {
        glMatrixMode(current.matrixMode);
    }
    glColor4f(current.color[0], current.color[1], current.color[2], current.color[3]);
    batch.clear();
}

void batchTriangles(const std::vector<ListVertex>& triangles) {
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    const GLfloat* c = current.color;
    for (const ListVertex& v : triangles) {
        batch.push_back({m[0] * v.x + m[4] * v.y + m[12], m[1] * v.x + m[5] * v.y + m[13],
                         m[2] * v.x + m[6] * v.y + m[14], v.s, v.t, c[0], c[1], c[2], c[3]});
    }
    if (!insideFrame) {
        flushBatch();
    }
}

void bindTextureNow(GLuint texture) {
    if (texture != boundTexture) {
        flushBatch();
        boundTexture = texture;
    }
    glBindTexture(GL_TEXTURE_2D, texture);
}

void displayFrame() {
    webgl::frame(gameDisplay);
}

// Quads become two triangles each: the emulation's quads take an index buffer of their own.
std::vector<ListVertex> asTriangles(const std::vector<ListVertex>& quads) {
    std::vector<ListVertex> triangles = {};
    triangles.reserve(quads.size() / 4 * 6);
    for (std::size_t i = 0; i + 3 < quads.size(); i += 4) {
        for (std::size_t corner : {0, 1, 2, 0, 2, 3}) {
            triangles.push_back(quads[i + corner]);
        }
    }
    return triangles;
}

void recordDraw() {
    ListStep step{ListStep::Kind::Draw};
    step.triangles = beginMode == GL_QUADS ? asTriangles(vertices) : vertices;
    if (!step.triangles.empty()) {
        recorded.push_back(std::move(step));
    }
}

void replay(const std::vector<ListStep>& steps) {
    for (const ListStep& step : steps) {
        switch (step.kind) {
        case ListStep::Kind::BindTexture:
            bindTextureNow(step.texture);
            break;
        case ListStep::Kind::PushMatrix:
            glPushMatrix();
            break;
        case ListStep::Kind::PopMatrix:
            glPopMatrix();
            break;
        case ListStep::Kind::Translate:
            glTranslatef(step.x, step.y, step.z);
            break;
        case ListStep::Kind::Draw:
            batchTriangles(step.triangles);
            break;
        }
    }
}

} // namespace

namespace webgl {

void begin(GLenum mode) {
    insideBegin = true;
    if (recording) {
        beginMode = mode;
        vertices.clear();
    } else {
        glBegin(mode);
    }
}

void end() {
    insideBegin = false;
    if (recording) {
        recordDraw();
    } else {
        glEnd();
    }
}

void vertex2f(GLfloat x, GLfloat y) {
    if (recording) {
        vertices.push_back({x, y, texS, texT});
    } else {
        glVertex2f(x, y);
    }
}

void texCoord2f(GLfloat s, GLfloat t) {
    if (recording) {
        texS = s;
        texT = t;
    } else {
        glTexCoord2f(s, t);
    }
}

// Nothing the game draws is lit, so a normal changes nothing on the screen; inside glBegin the
// emulation would take it for a vertex attribute and skew what follows.
void normal3f(GLfloat x, GLfloat y, GLfloat z) {
    if (!recording && !insideBegin) {
        glNormal3f(x, y, z);
    }
}

void bindTexture(GLenum target, GLuint texture) {
    if (recording && target == GL_TEXTURE_2D) {
        recorded.push_back({ListStep::Kind::BindTexture, texture});
    } else if (target == GL_TEXTURE_2D) {
        bindTextureNow(texture);
    } else {
        glBindTexture(target, texture);
    }
}

void pushMatrix() {
    if (recording) {
        recorded.push_back({ListStep::Kind::PushMatrix});
    } else {
        glPushMatrix();
    }
}

void popMatrix() {
    if (recording) {
        recorded.push_back({ListStep::Kind::PopMatrix});
    } else {
        glPopMatrix();
    }
}

void translatef(GLfloat x, GLfloat y, GLfloat z) {
    if (recording) {
        recorded.push_back({ListStep::Kind::Translate, 0, x, y, z, {}});
    } else {
        glTranslatef(x, y, z);
    }
}

// A desktop GL clamps the current colour to 0..1 as it is set; the batch hands its colours to
// the shader as they are stored, so they are clamped here, or a tint past 1 would draw brighter
// and more opaque in a page than on the desktop.
void color4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) {
    const GLfloat given[4] = {red, green, blue, alpha};
    for (int i = 0; i < 4; ++i) {
        current.color[i] = std::clamp(given[i], 0.0f, 1.0f);
    }
    glColor4f(current.color[0], current.color[1], current.color[2], current.color[3]);
}

void enable(GLenum capability) {
    flushBatch();
    enabledFlag(capability) = true;
    glEnable(capability);
}

void disable(GLenum capability) {
    flushBatch();
    enabledFlag(capability) = false;
    glDisable(capability);
}

void blendFunc(GLenum source, GLenum destination) {
    flushBatch();
    glBlendFunc(source, destination);
}

void alphaFunc(GLenum function, GLclampf reference) {
    flushBatch();
    glAlphaFunc(function, reference);
}

// The batch is placed in the projection it was drawn under.
void matrixMode(GLenum mode) {
    if (mode == GL_PROJECTION) {
        flushBatch();
    }
    current.matrixMode = mode;
    glMatrixMode(mode);
}

// WebGL knows no GL_CLAMP; at the edges of the game's textures, which are sampled with linear
// filtering only inside [0, 1], clamping to the edge texel looks the same.
void texParameteri(GLenum target, GLenum name, GLint value) {
    flushBatch();
    if ((name == GL_TEXTURE_WRAP_S || name == GL_TEXTURE_WRAP_T) && value == GL_CLAMP) {
        value = GL_CLAMP_TO_EDGE;
    }
    glTexParameteri(target, name, value);
}

// WebGL 1 takes a texture only in the format of its data: luminance-alpha data makes a
// luminance-alpha texture, which samples as the RGBA texture a desktop GL makes of it would.
void texImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                GLint border, GLenum format, GLenum type, const void* pixels) {
    (void)internalFormat;
    flushBatch();
    glTexImage2D(target, level, GLint(format), width, height, border, format, type, pixels);
}

// WebGL has no perspective-correction hint (its texturing always is) nor a shading model to
// choose: the game draws each square in one colour, so flat and smooth shading look the same.
void hint(GLenum target, GLenum mode) {
    if (target != GL_PERSPECTIVE_CORRECTION_HINT) {
        glHint(target, mode);
    }
}

void shadeModel(GLenum) {}

// A page's canvas keeps no picture between frames: the browser hands each frame a cleared one.
// A clear made outside a frame would show at once as a blank canvas in place of the still screen
// on it, where a desktop's clear goes to the hidden back buffer; so only frames clear.
void clear(GLbitfield mask) {
    if (insideFrame) {
        flushBatch();
        glClear(mask);
    }
}

// The batch is cut by the scissor box it was drawn under.
void scissor(GLint x, GLint y, GLsizei width, GLsizei height) {
    flushBatch();
    glScissor(x, y, width, height);
}

void frame(void (*draw)()) {
    insideFrame = true;
    draw();
    flushBatch();
    insideFrame = false;
}

void displayFunc(void (*display)()) {
    gameDisplay = display;
    glutDisplayFunc(display ? displayFrame : nullptr);
}

} // namespace webgl

// What the emulation lacks altogether.

GLuint glGenLists(GLsizei range) {
    const GLuint first = nextList;
    nextList += GLuint(range);
    return first;
}

void glNewList(GLuint list, GLenum) {
    recording = list;
    recorded.clear();
}

void glEndList() {
    lists[recording] = std::move(recorded);
    recorded.clear();
    recording = 0;
}

void glCallList(GLuint list) {
    const auto found = lists.find(list);
    if (found != lists.end()) {
        replay(found->second);
    }
}

void glCallLists(GLsizei n, GLenum type, const GLvoid* names) {
    if (type != GL_UNSIGNED_BYTE) {
        return;
    }
    const auto* bytes = static_cast<const GLubyte*>(names);
    for (GLsizei i = 0; i < n; ++i) {
        glCallList(listBase + bytes[i]);
    }
}

void glListBase(GLuint base) {
    listBase = base;
}

void glDeleteLists(GLuint list, GLsizei range) {
    for (GLsizei i = 0; i < range; ++i) {
        lists.erase(list + GLuint(i));
    }
}

void glPushAttrib(GLbitfield mask) {
    current.mask = mask;
    current.listBase = listBase;
    attributeStack.push_back(current);
}

void glPopAttrib() {
    if (attributeStack.empty()) {
        return;
    }
    const Attributes saved = std::move(attributeStack.back());
    attributeStack.pop_back();
    if (saved.mask & GL_LIST_BIT) {
        listBase = saved.listBase;
    }
    if (saved.mask & GL_CURRENT_BIT) {
        webgl::color4f(saved.color[0], saved.color[1], saved.color[2], saved.color[3]);
    }
    if (saved.mask & GL_ENABLE_BIT) {
        // A capability first changed after the push was off at the push.
        for (auto& [capability, on] : current.enabled) {
            bool wasOn = false;
            for (const auto& [savedCapability, savedOn] : saved.enabled) {
                if (savedCapability == capability) {
                    wasOn = savedOn;
                }
            }
            if (on != wasOn) {
                wasOn ? webgl::enable(capability) : webgl::disable(capability);
            }
        }
    }
    if (saved.mask & GL_TRANSFORM_BIT) {
        webgl::matrixMode(saved.matrixMode);
    }
}

// Keys do nothing in the game; a page has no key repeat to switch off for it.
void glutIgnoreKeyRepeat(int) {}
