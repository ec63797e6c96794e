// End-to-end: the arm64 package as a player gets it, installed by apt with its libraries and
// started as /usr/games/emberdash under qemu's user-mode emulation, beside this machine's build on
// the same data: the same title, a click to the instructions, and a drag that steers the fire.
#include <gtest/gtest.h>

#include "e2e/GameSession.h"
#include "e2e/ScreenReading.h"

#include <optional>

namespace {

const std::filesystem::path kInstalledGame = "/usr/games/emberdash";
const std::filesystem::path kQemu = "/usr/bin/qemu-aarch64";
// Every instruction emulated, Mesa's compiled drawing code among them: the first frame takes
// many times as long as on this machine.
constexpr int kEmulatedStartMs = 180000;
constexpr int kEmulatedFrameMs = 60000;

// The title, a click to the instructions, another to play, and a drag to the left that the fire
// follows past the floor's middle. Returns the title as shown.
Screenshot titleThenPlay(GameSession& game, int startMs, int frameMs) {
    Screenshot title;
    EXPECT_TRUE(game.waitForWindow(startMs)) << game.errorOutput();
    EXPECT_EQ(game.geometry().width, Camera::kWindowWidth);
    EXPECT_EQ(game.geometry().height, Camera::kWindowHeight);
    EXPECT_TRUE(eventually([&] { return shows(game, "titlescreen.png"); }, startMs))
        << game.errorOutput();
    title = game.capture();
    game.click(pixelX(0), pixelY(4.5));
    EXPECT_TRUE(eventually([&] { return shows(game, "instructions.png"); }, frameMs));
    game.click(pixelX(0), pixelY(4.5));
    EXPECT_TRUE(eventually([&] { return scoreInk(game.capture()) > 0; }, frameMs));
    game.press(1);
    for (double x = 0; x >= -30; x -= 3) {
        game.moveTo(pixelX(x), pixelY(4.5));
    }
    std::optional<WorldPoint> fire;
    EXPECT_TRUE(eventually(
        [&] {
            fire = flameNear(game.capture(), {-20, 4.5}, 15);
            return fire && fire->x < -10.0;
        },
        frameMs))
        << "the fire did not follow the drag: " << (fire ? fire->x : 999);
    game.release(1);
    return title;
}

} // namespace

// This machine's build first, with its GL capped at the 2.1 compatibility profile that a Pi's
// driver offers, so that nothing past it creeps into the game; then the package.
TEST(E2eArm64, TheInstalledGameShowsTheTitleAsHereAndAClickAndADragPlay) {
    Screenshot here;
    {
        GameSession::Options options;
        options.environment = {{"MESA_GL_VERSION_OVERRIDE", "2.1"},
                               {"MESA_GLSL_VERSION_OVERRIDE", "120"}};
        GameSession game(options);
        here = titleThenPlay(game, 20000, 20000);
    }
    ASSERT_FALSE(HasFailure()) << "this machine's build, capped at GL 2.1";

    GameSession::Options options;
    options.launcher = kQemu;
    options.executable = kInstalledGame;
    // Started from a folder without data: the installed game finds its own.
    options.dataDir = std::filesystem::temp_directory_path();
    // The arm64 loader and libraries are where multiarch installs them, at the root.
    options.environment = {{"QEMU_LD_PREFIX", "/"}};
    GameSession arm64(options);
    const Screenshot title = titleThenPlay(arm64, kEmulatedStartMs, kEmulatedFrameMs);
    EXPECT_LT(title.difference(here.pixels), kSamePicture);
}
