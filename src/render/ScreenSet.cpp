// Full-window pictures.
#include "render/ScreenSet.h"

#include "render/SpriteList.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// A box of window pixels, counted from the bottom left as GL counts them.
struct WindowBox {
    int x, y, width, height;
};

// A column-major 4 by 4 matrix times a column.
void transform(const GLfloat (&m)[16], const double (&in)[4], double (&out)[4]) {
    for (int row = 0; row < 4; ++row) {
        out[row] = 0;
        for (int column = 0; column < 4; ++column) {
            out[row] += double(m[column * 4 + row]) * in[column];
        }
    }
}

// The window's pixels outside those whose centres lie inside the rectangle of the plane, under
// the current matrices and viewport, as up to four boxes: below, above, left and right of it. The
// inner box is one pixel smaller on each side than the rectangle's, so that no rounding leaves a
// pixel undrawn. Empty when the rectangle leaves no pixel out.
std::vector<WindowBox> windowAround(const PlaneRect& rect) {
    GLfloat projection[16], modelview[16];
    GLint viewport[4];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetIntegerv(GL_VIEWPORT, viewport);
    double window[2][2];
    const double corners[2][2] = {{rect.left, rect.bottom}, {rect.right, rect.top}};
    for (int corner = 0; corner < 2; ++corner) {
        const double point[4] = {corners[corner][0], corners[corner][1], 0, 1};
        double eye[4], clip[4];
        transform(modelview, point, eye);
        transform(projection, eye, clip);
        window[corner][0] = viewport[0] + (clip[0] / clip[3] + 1) / 2 * viewport[2];
        window[corner][1] = viewport[1] + (clip[1] / clip[3] + 1) / 2 * viewport[3];
    }
    // A pixel's centre lies half a pixel in from its corner.
    const auto first = [](double a, double b) { return int(std::ceil(std::min(a, b) - 0.5)) + 1; };
    const auto end = [](double a, double b) { return int(std::ceil(std::max(a, b) - 0.5)) - 1; };
    const int left = std::max(first(window[0][0], window[1][0]), viewport[0]);
    const int right = std::min(end(window[0][0], window[1][0]), viewport[0] + viewport[2]);
    const int bottom = std::max(first(window[0][1], window[1][1]), viewport[1]);
    const int top = std::min(end(window[0][1], window[1][1]), viewport[1] + viewport[3]);
    if (left >= right || bottom >= top) {
        return {};
    }
    const int windowRight = viewport[0] + viewport[2];
    const int windowTop = viewport[1] + viewport[3];
    std::vector<WindowBox> around = {
        {viewport[0], viewport[1], viewport[2], bottom - viewport[1]},
        {viewport[0], top, viewport[2], windowTop - top},
        {viewport[0], bottom, left - viewport[0], top - bottom},
        {right, bottom, windowRight - right, top - bottom},
    };
    std::erase_if(around, [](const WindowBox& box) { return box.width <= 0 || box.height <= 0; });
    return around;
}

} // namespace

ScreenSet& ScreenSet::instance() {
    static ScreenSet* screens = new ScreenSet();
    return *screens;
}

void ScreenSet::load() {
    int* lists[] = {&backgroundList_, &titleList_, &instructionsList_, &gameOverList_};
    for (int i = 0; i < 4; ++i) {
        buildOwnSpriteList(*lists[i], kPicturePaths[i]);
    }
}

void ScreenSet::setRect(double top, double right, double bottom, double left) {
    top_ = top;
    right_ = right;
    bottom_ = bottom;
    left_ = left;
}

void ScreenSet::place(int list) const {
    // Whole units only: a fractional rectangle is drawn truncated, still centred.
    const double width = std::trunc(std::abs(left_ - right_));
    const double height = std::trunc(std::abs(top_ - bottom_));
    drawSpriteList(list, float((left_ + right_) * 0.5), float((bottom_ + top_) * 0.5), float(width),
                   float(height));
}

void ScreenSet::drawBackground(const std::optional<PlaneRect>& covered) const {
    spriteListIsOpaque(backgroundList_) ? beginOpaqueSpriteBatch() : beginSpriteBatch();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    const std::vector<WindowBox> around =
        covered ? windowAround(*covered) : std::vector<WindowBox>{};
    if (around.empty()) {
        place(backgroundList_);
    } else {
        // The whole picture each time, cut to one strip around the covered box: every pixel drawn
        // is the one the whole picture gives.
        glEnable(GL_SCISSOR_TEST);
        for (const WindowBox& box : around) {
            glScissor(box.x, box.y, box.width, box.height);
            place(backgroundList_);
        }
        glDisable(GL_SCISSOR_TEST);
    }
    endSpriteBatch();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

void ScreenSet::drawOpaque(int list) const {
    glEnable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    place(list);
    glDisable(GL_TEXTURE_2D);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

void ScreenSet::drawTitle() const {
    drawOpaque(titleList_);
}
void ScreenSet::drawInstructions() const {
    drawOpaque(instructionsList_);
}
void ScreenSet::drawGameOver() const {
    drawOpaque(gameOverList_);
}
