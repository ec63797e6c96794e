// A temporary working directory for a test: the game reads its data by relative paths, so a test
// lays out the files it wants here and runs the code from inside.
#pragma once

#include <filesystem>
#include <string>

class ScratchDir {
  public:
    // Creates the directory with images/, fonts/ and audio/ and makes it the working directory.
    ScratchDir();
    // Goes back to the previous working directory and removes everything.
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Writes bytes to a file below the directory.
    void writeFile(const std::string& relativePath, const std::string& bytes) const;
    // Copies a file of the game's generated data (such as "fonts/rabiohead.ttf") in.
    void copyGameData(const std::string& relativePath) const;

  private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};
