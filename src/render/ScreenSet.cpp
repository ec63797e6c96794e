// Full-window pictures.
#include "render/ScreenSet.h"

#include "render/SpriteList.h"

#include <GL/gl.h>
#include <cmath>

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

void ScreenSet::drawBackground() const {
    beginSpriteBatch();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    place(backgroundList_);
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
