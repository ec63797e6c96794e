// Where the game finds its data: from any folder, installed under a prefix, from its Debian
// package (which lintian must accept), in the folder EMBERDASH_DATA names, or nowhere; and the
// options of its command line.
#include <gtest/gtest.h>

#include "e2e/GameSession.h"
#include "e2e/ScreenReading.h"
#include "support/ScratchDir.h"
#include "support/TestPng.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <sys/wait.h>

namespace {

std::string quoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

std::string fileText(const std::string& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string run(const std::string& command) {
    const std::string output = "command-output.txt";
    const int status = std::system((command + " > " + output + " 2>&1").c_str());
    const std::string text = fileText(output);
    EXPECT_EQ(status, 0) << command << "\n" << text;
    return text;
}

// The Debian package that holds a shared library on this system: its name differs between
// releases (libpng16-16 became libpng16-16t64), and the package must name this release's.
std::string packageHolding(const std::string& library) {
    const std::string owner = run("dpkg -S '*/" + library + "' | head -n 1");
    return owner.substr(0, owner.find(':'));
}

// The package names a Depends field lists, alternatives included, without versions.
std::set<std::string> dependencyNames(const std::string& depends) {
    std::set<std::string> names;
    std::string name;
    bool inName = true;
    for (const char c : depends + ",") {
        if (c == ',' || c == '|') {
            names.insert(name);
            name.clear();
            inName = true;
        } else if (c == ' ' || c == '(' || c == ':') {
            inName = inName && name.empty();
        } else if (inName) {
            name.push_back(c);
        }
    }
    names.erase("");
    return names;
}

// The title screen that the game shows once started from folder, with EMBERDASH_DATA set to
// dataVariable (unset when empty), against the picture it should show.
::testing::AssertionResult showsTitle(const std::filesystem::path& executable,
                                      const std::filesystem::path& folder,
                                      const std::string& dataVariable,
                                      const std::vector<Rgb>& title) {
    GameSession::Options options;
    options.executable = executable;
    options.dataDir = folder;
    options.dataVariable = dataVariable;
    GameSession game(options);
    if (!game.waitForWindow()) {
        return ::testing::AssertionFailure() << "no window: " << game.errorOutput();
    }
    if (!eventually([&] { return game.capture().difference(title) < 8.0; })) {
        return ::testing::AssertionFailure() << "another picture: " << game.errorOutput();
    }
    return ::testing::AssertionSuccess();
}

// Runs the game with arguments and no display; its exit status, and what it printed.
int runGame(const std::string& executable, const std::string& arguments, std::string& out,
            std::string& err) {
    const int status = std::system(("env -u DISPLAY -u EMBERDASH_DATA '" + executable + "' " +
                                    arguments + " >out.txt 2>err.txt")
                                       .c_str());
    out = fileText("out.txt");
    err = fileText("err.txt");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(E2eInstall, TheInstalledGameFindsItsDataFromAnotherDirectory) {
    ScratchDir dir;
    const auto prefix = dir.path() / "prefix";
    run(std::string("'") + CMAKE_COMMAND + "' --install " + quoted(EMBERDASH_BUILD_DIR) +
        " --prefix " + quoted(prefix));
    for (const char* file : {"share/applications/org.emberdash.Emberdash.desktop",
                             "share/metainfo/org.emberdash.Emberdash.metainfo.xml",
                             "share/icons/hicolor/256x256/apps/org.emberdash.Emberdash.png",
                             "share/games/emberdash/fonts/rabiohead.ttf",
                             "share/man/man6/emberdash.6.gz", "share/doc/emberdash/copyright"}) {
        EXPECT_TRUE(std::filesystem::exists(prefix / file)) << file;
    }
    EXPECT_TRUE(
        showsTitle(prefix / "games" / "emberdash", "/", "", referencePicture("titlescreen.png")));
}

TEST(E2eInstall, TheDebianPackagePassesLintianDeclaresItsLibrariesAndRuns) {
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
    // Errors and warnings fail; what is left is information, or overridden with its reason.
    run("lintian --fail-on error,warning --suppress-tags-from-file /dev/null " + quoted(deb));
    const std::string depends = run("dpkg-deb -f " + quoted(deb) + " Depends");
    const std::set<std::string> names = dependencyNames(depends);
    EXPECT_TRUE(names.count("libgl1-mesa-dri")) << depends;
    for (const char* library :
         {"libglut.so.3.12", "libSDL2_mixer-2.0.so.0", "libpng16.so.16", "libfreetype.so.6"}) {
        const std::string package = packageHolding(library);
        EXPECT_TRUE(names.count(package)) << package << " (" << library << ") in " << depends;
    }
    run("dpkg-deb -x " + quoted(deb) + " " + quoted(dir.path() / "root"));
    EXPECT_TRUE(showsTitle(dir.path() / "root" / "usr" / "games" / "emberdash", "/", "",
                           referencePicture("titlescreen.png")));
}

TEST(E2eDataSearch, AnyFolderTheBuildFolderOrTheOneEmberdashDataNames) {
    const std::vector<Rgb> title = referencePicture("titlescreen.png");
    EXPECT_TRUE(showsTitle(EMBERDASH_EXECUTABLE, "/", "", title)) << "from /";
    EXPECT_TRUE(showsTitle(EMBERDASH_EXECUTABLE, EMBERDASH_DATA_DIR, "", title))
        << "from the build";

    // A copy whose title is plain green wins over the current folder and the build folder.
    ScratchDir copy;
    copyGameData(copy.path());
    writeSolidPng("images/titlescreen.png", 64, 48, {0, 200, 0, 255});
    const std::vector<Rgb> green(std::size_t(1024) * 768, Rgb{0, 200, 0});
    EXPECT_TRUE(showsTitle(EMBERDASH_EXECUTABLE, EMBERDASH_DATA_DIR, copy.path(), green));
    EXPECT_TRUE(showsTitle(EMBERDASH_EXECUTABLE, "/", copy.path(), green));
}

TEST(E2eDataSearch, NoDataAnywhereEndsStartUpNamingTheFileAndEveryFolder) {
    // The executable alone, with neither a data folder beside it nor an installed one.
    ScratchDir dir;
    std::filesystem::create_directories("bin");
    std::filesystem::copy_file(EMBERDASH_EXECUTABLE, "bin/emberdash");
    GameSession::Options options;
    options.executable = dir.path() / "bin" / "emberdash";
    options.dataDir = dir.path();
    options.dataVariable = "/nowhere";
    GameSession game(options);
    ASSERT_TRUE(eventually([&] { return game.exitStatus() >= 0; }));
    EXPECT_EQ(game.exitStatus(), 1);
    const std::string message = game.errorOutput();
    const std::string root = dir.path().string();
    for (const std::string& part :
         {std::string(
              "emberdash: cannot find ./fonts/rabiohead.ttf in /nowhere (EMBERDASH_DATA), "),
          root + " (the current folder)", root + "/bin (beside the game)",
          root + "/share/games/emberdash (the installed data)"}) {
        EXPECT_NE(message.find(part), std::string::npos) << part << " in " << message;
    }
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
}

TEST(E2eDataSearch, AFontThatCannotBeReadSendsTheSearchOnToTheNextFolder) {
    // EMBERDASH_DATA names a folder whose font may not be read; the current folder is whole.
    ScratchDir dir;
    std::filesystem::permissions(
        dir.path(), std::filesystem::perms::others_read | std::filesystem::perms::others_exec,
        std::filesystem::perm_options::add);
    for (const char* folder : {"locked", "whole", "bin"}) {
        std::filesystem::create_directories(dir.path() / folder);
    }
    copyGameData(dir.path() / "locked");
    copyGameData(dir.path() / "whole");
    // The game runs as an ordinary user, who may not reach the build folder.
    std::filesystem::copy_file(EMBERDASH_EXECUTABLE, dir.path() / "bin" / "emberdash");
    std::filesystem::permissions(dir.path() / "locked/fonts/rabiohead.ttf",
                                 std::filesystem::perms::none);
    GameSession::Options options;
    options.executable = dir.path() / "bin" / "emberdash";
    options.dataDir = dir.path() / "whole";
    options.dataVariable = dir.path() / "locked";
    options.unprivileged = true;
    GameSession game(options);
    ASSERT_TRUE(game.waitForWindow());
    EXPECT_TRUE(eventually([&] { return shows(game, "titlescreen.png"); }));
}

TEST(E2eCommandLine, HelpVersionUnknownOptionsAndOptionsForGlut) {
    ScratchDir dir;
    std::string out, err;
    EXPECT_EQ(runGame(EMBERDASH_EXECUTABLE, "--help", out, err), 0);
    EXPECT_NE(out.find("Usage: emberdash"), std::string::npos) << out;
    EXPECT_NE(out.find("EMBERDASH_DATA"), std::string::npos) << out;
    EXPECT_NE(out.find("SDL_AUDIODRIVER"), std::string::npos) << out;

    EXPECT_EQ(runGame(EMBERDASH_EXECUTABLE, "--version", out, err), 0);
    EXPECT_EQ(out, "emberdash " EMBERDASH_VERSION "\n");

    EXPECT_EQ(runGame(EMBERDASH_EXECUTABLE, "--fullscreen", out, err), 2);
    EXPECT_NE(err.find("unknown option --fullscreen"), std::string::npos) << err;
    EXPECT_NE(err.find("Usage: emberdash"), std::string::npos) << err;
    EXPECT_TRUE(out.empty());

    // One dash belongs to GLUT: it tries the display it was given, fails and ends the process
    // while the picture and glyph workers may still run. They must be waited for: a sanitizer
    // that finds a thread left running changes the status.
    EXPECT_EQ(runGame(EMBERDASH_EXECUTABLE, "-display :4242", out, err), 1);
    EXPECT_NE(err.find(":4242"), std::string::npos) << err;
}
