// The installed game: through its launcher from another directory, and from its Debian package.
#include <gtest/gtest.h>

#include "e2e/GameSession.h"
#include "support/ScratchDir.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

std::string quoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

std::string run(const std::string& command) {
    const std::string output = "command-output.txt";
    const int status = std::system((command + " > " + output + " 2>&1").c_str());
    std::ifstream in(output);
    std::string text{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(status, 0) << command << "\n" << text;
    return text;
}

// Starts the launcher from the root directory and waits for the title screen.
void expectTitleFrom(const std::filesystem::path& launcher) {
    GameSession::Options options;
    options.executable = launcher;
    options.dataDir = "/";
    GameSession game(options);
    ASSERT_TRUE(game.waitForWindow()) << game.errorOutput();
    const std::vector<Rgb> title = referencePicture("titlescreen.png");
    EXPECT_TRUE(eventually([&] { return game.capture().difference(title) < 8.0; }))
        << game.errorOutput();
}

} // namespace

TEST(E2eInstall, TheLauncherStartsTheInstalledGameFromAnotherDirectory) {
    ScratchDir dir;
    const auto prefix = dir.path() / "prefix";
    run(std::string("'") + CMAKE_COMMAND + "' --install " + quoted(EMBERDASH_BUILD_DIR) +
        " --prefix " + quoted(prefix));
    for (const char* file : {"share/applications/org.emberdash.Emberdash.desktop",
                             "share/metainfo/org.emberdash.Emberdash.metainfo.xml",
                             "share/icons/hicolor/256x256/apps/org.emberdash.Emberdash.png",
                             "share/emberdash/fonts/rabiohead.ttf"}) {
        EXPECT_TRUE(std::filesystem::exists(prefix / file)) << file;
    }
    expectTitleFrom(prefix / "bin" / "emberdash");
}

TEST(E2eInstall, TheDebianPackageDeclaresItsLibrariesAndRuns) {
    ScratchDir dir;
    run(std::string("'") + CPACK_COMMAND + "' --config " +
        quoted(std::filesystem::path(EMBERDASH_BUILD_DIR) / "CPackConfig.cmake") + " -B " +
        quoted(dir.path() / "package"));
    std::filesystem::path deb;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path() / "package")) {
        if (entry.path().extension() == ".deb") {
            deb = entry.path();
        }
    }
    ASSERT_FALSE(deb.empty());
    const std::string depends = run("dpkg-deb -f " + quoted(deb) + " Depends");
    for (const char* library :
         {"libglut3.12", "libsdl2-mixer-2.0-0", "libpng16-16", "libfreetype6", "libgl1-mesa-dri"}) {
        EXPECT_NE(depends.find(library), std::string::npos) << library << " in " << depends;
    }
    run("dpkg-deb -x " + quoted(deb) + " " + quoted(dir.path() / "root"));
    expectTitleFrom(dir.path() / "root" / "usr" / "bin" / "emberdash");
}
