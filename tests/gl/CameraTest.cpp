// The fixed camera: refused sizes, the view's corners and the clear on every reshape.
#include <gtest/gtest.h>

#include "shell/Camera.h"
#include "support/GlContext.h"

#include <GL/gl.h>
#include <array>

namespace {

std::array<GLint, 4> viewport() {
    std::array<GLint, 4> v{};
    glGetIntegerv(GL_VIEWPORT, v.data());
    return v;
}

std::array<float, 16> projection() {
    std::array<float, 16> m{};
    glGetFloatv(GL_PROJECTION_MATRIX, m.data());
    return m;
}

} // namespace

TEST(Camera, OnlyTheWindowSizeIsEverAccepted) {
    Camera& camera = Camera::instance();
    glViewport(1, 2, 3, 4);
    const auto projectionBefore = projection();

    clearTo(1, 0, 0);
    glClearColor(0, 0, 1, 1);
    camera.reshape(800, 600);
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{1, 2, 3, 4}));
    EXPECT_EQ(projection(), projectionBefore);
    // Refused or not, a reshape clears.
    EXPECT_TRUE(pixelNear(readPixel(500, 400), 0, 0, 1));

    camera.reshape(1024, 768);
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 1024, 768}));
    EXPECT_EQ(camera.width(), 1024);
    EXPECT_EQ(camera.height(), 768);
    EXPECT_NEAR(camera.viewHalfHeight(), 37.5, 1e-9);
}

TEST(Camera, TheViewShowsExactlyTheWorldRectangle) {
    Camera::instance().reshape(1024, 768);
    clearTo(1, 1, 1);
    const float pixel = 0.09765625f;
    glColor3f(1, 0, 0);
    // One-pixel squares at the four corners of x in [-50, 50], y in [0, 75], and at the centre.
    fillWorldRect(-50, 0, -50 + pixel, pixel);
    fillWorldRect(50 - pixel, 75 - pixel, 50, 75);
    fillWorldRect(-50, 75 - pixel, -50 + pixel, 75);
    fillWorldRect(50 - pixel, 0, 50, pixel);
    fillWorldRect(0, 37.5f, pixel, 37.5f + pixel);

    for (auto [x, y] : {std::pair{0, 0}, {1023, 767}, {0, 767}, {1023, 0}, {512, 384}}) {
        EXPECT_TRUE(pixelNear(readPixel(x, y), 1, 0, 0)) << x << ", " << y;
    }
    for (auto [x, y] : {std::pair{1, 0}, {0, 1}, {1022, 767}, {511, 384}, {512, 383}}) {
        EXPECT_TRUE(pixelNear(readPixel(x, y), 1, 1, 1)) << x << ", " << y;
    }
}
