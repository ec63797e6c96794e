// Entry point of the GL test suites: opens the window before the first test runs (not when tests
// are only being listed).
#include <gtest/gtest.h>

#include "support/GlContext.h"

namespace {

class GlEnvironment : public ::testing::Environment {
  public:
    void SetUp() override { openTestWindow(); }
};

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new GlEnvironment);
    return RUN_ALL_TESTS();
}
