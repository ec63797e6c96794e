// The floor drawn for real: the heat tint from white to red, and holes drawn untinted.
#include <gtest/gtest.h>

#include "shell/Camera.h"
#include "support/GlContext.h"
#include "support/Scenario.h"
#include "support/ScratchDir.h"

#include <GL/gl.h>

TEST(TileFieldDraw, HeatTintsFromWhiteToRedAndHolesShowTheirOwnPicture) {
    ScratchDir dir;
    writeSolidPng("images/tile.png", 32, 32, {255, 255, 255, 255});
    writeSolidPng("images/black.png", 32, 32, {20, 10, 0, 255});
    tileField.load();
    coldFloor();
    tileOf(1, 1).setHeat(0.5f);
    tileOf(2, 2).setHeat(1.3f);
    tileOf(3, 3).setState(TileState::Burnt);

    Camera::instance().apply();
    clearTo(0, 0, 1);
    tileField.draw();

    auto centre = [](int column, int row) {
        const Tile& tile = tileOf(column, row);
        const PixelPos p = worldToPixel(tile.x(), tile.y());
        return readPixel(p.x, p.y);
    };
    EXPECT_TRUE(pixelNear(centre(0, 0), 1, 1, 1));
    EXPECT_TRUE(pixelNear(centre(1, 1), 1, 0.5f, 0.5f));
    EXPECT_TRUE(pixelNear(centre(2, 2), 1, 0, 0));
    EXPECT_TRUE(pixelNear(centre(3, 3), 20 / 255.0f, 10 / 255.0f, 0));
    // The floor covers x from -48 to 24; beyond it the background shows.
    const PixelPos outside = worldToPixel(30.0, 40.0);
    EXPECT_TRUE(pixelNear(readPixel(outside.x, outside.y), 0, 0, 1));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}
