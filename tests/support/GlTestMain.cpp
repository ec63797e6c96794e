// Entry point of the GL test suites: opens the window before the first test runs (not when tests
// are only being listed).
#include <gtest/gtest.h>

#include "support/GlContext.h"

#include <cstdlib>

namespace {

class GlEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { openTestWindow(); }
};

} // namespace

int main(int argc, char** argv) {
    // The controller opens the sound bank; tests need no sound card.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new GlEnvironment);
    return RUN_ALL_TESTS();
}
