// The fire drawn for real: seven layers stacked and tinted from the yellow top to the white core.
#include <gtest/gtest.h>

#include "shell/Camera.h"
#include "support/GlContext.h"
#include "support/Scenario.h"
#include "support/ScratchDir.h"

#include <GL/gl.h>

namespace {

// Colour over black after blending layers (r, g) with alpha a, top layer first.
struct Layer {
    float g, a;
};

void blendOver(float& r, float& g, Layer layer) {
    const float a = layer.a > 1 ? 1 : layer.a;
    r = a * 1.0f + (1 - a) * r;
    g = a * (layer.g > 1 ? 1 : layer.g) + (1 - a) * g;
}

} // namespace

TEST(FireDraw, LayersAreStackedAndTintedFromTopToCore) {
    ScratchDir dir;
    // Fine textures, so that the clamped border blends in only at the sprites' very edges.
    writeSolidPng("images/fireback.png", 64, 64, {255, 255, 255, 255});
    writeSolidPng("images/firemiddle.png", 64, 64, {255, 255, 255, 255});
    Fire& f = placeFire(0.0f, 37.5f, 0.0f, 37.5f);
    f.load();
    f.setX(0.0f);
    f.setY(37.5f);
    f.update(0.0f); // lays the column out above the fire

    Camera::instance().apply();
    clearTo(0, 0, 0);
    f.draw();

    // Only the top layer reaches 3.2 to 3.5 units above the centre.
    float r = 0, g = 0;
    blendOver(r, g, {1.1f, 0.3666667f});
    const PixelPos top = worldToPixel(0.0, 37.5 + 3.35);
    EXPECT_TRUE(pixelNear(readPixel(top.x, top.y), r, g, 0));

    // 2.3 to 2.6 above: the four upper layers, but not the foot of the column nor the base.
    for (Layer layer : {Layer{0.9f, 0.5333333f}, {0.7f, 0.7f}, {0.5f, 0.8666667f}}) {
        blendOver(r, g, layer);
    }
    const PixelPos upper = worldToPixel(0.0, 37.5 + 2.45);
    EXPECT_TRUE(pixelNear(readPixel(upper.x, upper.y), r, g, 0));

    // The white core covers everything beneath it; outside the sprites nothing is drawn.
    const PixelPos centre = worldToPixel(0.0, 37.5);
    EXPECT_TRUE(pixelNear(readPixel(centre.x, centre.y), 1, 1, 1));
    const PixelPos beside = worldToPixel(2.2, 37.5);
    EXPECT_TRUE(pixelNear(readPixel(beside.x, beside.y), 0, 0, 0));

    // Drawing leaves its enables off and the colour white.
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[1], 1.0f);
    EXPECT_EQ(colour[2], 1.0f);
}
