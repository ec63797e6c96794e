// Entry point of the GL test suites: opens the window before the first test runs (not when tests
// are only being listed).
#include <gtest/gtest.h>

#include "shell/Camera.h"
#include "support/GlContext.h"

#include <SDL_stdinc.h>

namespace {

class GlEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { openTestWindow(); }
};

// Every test starts under the game's camera, whatever the test before it set up. (CTest runs
// each test in a process of its own; this keeps a whole-suite run close to that.)
class CameraReset : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        Camera::instance().reshape(Camera::kWindowWidth, Camera::kWindowHeight);
    }
};

} // namespace

int main(int argc, char** argv) {
    // The controller opens the sound bank; tests need no sound card.
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 0);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new GlEnvironment);
    ::testing::UnitTest::GetInstance()->listeners().Append(new CameraReset);
    return RUN_ALL_TESTS();
}
