// Score keeping and drawing.
#include "render/ScoreBoard.h"

#include "render/TextFont.h"

#include <GL/gl.h>

namespace {

constexpr unsigned kFontHeight = 46;

// Positions in world units; the text is scaled from glyph pixels.
constexpr float kScoreX = 29.0f;
constexpr float kLabelY = 45.0f;
constexpr float kNumberY = 40.5f;
constexpr float kPlayScale = 0.085f;
constexpr float kFinalX = -26.0f;
constexpr float kFinalY = 15.0f;
constexpr float kFinalScale = 0.15f;

// Runs draw with the modelview moved to (x, y) and scaled, in opaque white.
template <typename Draw>
void placed(float x, float y, float scale, Draw draw) {
    glPushMatrix();
    glTranslatef(x, y, 0.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glScalef(scale, scale, scale);
    draw();
    glPopMatrix();
}

} // namespace

ScoreBoard& ScoreBoard::instance() {
    static ScoreBoard* board = new ScoreBoard();
    return *board;
}

void ScoreBoard::prepareFont() {
    TextFont::instance().prepare(kFontPath, kFontHeight);
}

void ScoreBoard::finishPreparingFont() {
    TextFont::instance().finishPreparing();
}

void ScoreBoard::init() {
    TextFont::instance().init(kFontPath, kFontHeight);
}

void ScoreBoard::drawScore() const {
    const TextFont& font = TextFont::instance();
    placed(kScoreX, kLabelY, kPlayScale, [&] { print(font, "Score: "); });
    placed(kScoreX, kNumberY, kPlayScale, [&] { print(font, "%i", score_); });
}

void ScoreBoard::drawFinalScore() const {
    const TextFont& font = TextFont::instance();
    placed(kFinalX, kFinalY, kFinalScale, [&] { print(font, "Your Score: %i", score_); });
}
