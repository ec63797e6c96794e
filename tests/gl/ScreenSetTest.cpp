// The full-window pictures: the background blends, the three screens cover every pixel.
#include <gtest/gtest.h>

#include "render/ScreenSet.h"
#include "shell/Camera.h"
#include "support/GlContext.h"
#include "support/ScratchDir.h"

#include <GL/gl.h>

TEST(ScreenSet, TheBackgroundBlendsAndTheScreensReplaceEveryPixel) {
    ScratchDir dir;
    // Window-sized pictures, as the game's are: a background see-through on its left half, and
    // screens that are see-through yet must cover the window, since they are drawn opaque.
    writePng("images/background.png", 1024, 768, [](int x, int) {
        return x < 512 ? Rgba{0, 0, 0, 0} : Rgba{0, 0, 255, 255};
    });
    writeSolidPng("images/titlescreen.png", 1024, 768, {0, 255, 0, 0});
    writeSolidPng("images/instructions.png", 1024, 768, {255, 255, 0, 255});
    writeSolidPng("images/gameover.png", 1024, 768, {0, 255, 255, 128});
    ScreenSet& screens = ScreenSet::instance();
    screens.load();
    screens.setRect(75, 50, 0, -50);
    Camera::instance().apply();

    clearTo(1, 0, 0);
    screens.drawBackground();
    EXPECT_TRUE(pixelNear(readPixel(100, 400), 1, 0, 0));
    EXPECT_TRUE(pixelNear(readPixel(900, 400), 0, 0, 1));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));

    struct Screen {
        void (ScreenSet::*draw)() const;
        float r, g, b;
    };
    for (Screen screen :
         {Screen{&ScreenSet::drawTitle, 0, 1, 0}, Screen{&ScreenSet::drawInstructions, 1, 1, 0},
          Screen{&ScreenSet::drawGameOver, 0, 1, 1}}) {
        clearTo(1, 0, 0);
        (screens.*screen.draw)();
        for (auto [x, y] : {std::pair{0, 0}, {1023, 767}, {0, 767}, {1023, 0}, {512, 384}}) {
            EXPECT_TRUE(pixelNear(readPixel(x, y), screen.r, screen.g, screen.b)) << x << ", " << y;
        }
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    }
}
