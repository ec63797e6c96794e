// A corpus of broken and unusual data files, made afresh by the tests: every way a picture, a
// sound or a font on a player's disk could be damaged, and pictures that are odd but valid.
#pragma once

#include <string>
#include <vector>

struct HostileFile {
    std::string name;  // what is wrong with it
    std::string bytes; // the file's contents
    bool usable;       // whether a careful loader should still accept it
};

// Pictures: broken ones (truncated, empty, wrong magic, random, huge, bad checksums) and odd
// valid ones (1-bit and grey, palette, 16-bit, interlaced, sides that are not powers of two).
std::vector<HostileFile> hostilePictures();
// WAV effects and MP3 music that are truncated, empty or not audio at all.
std::vector<HostileFile> hostileSounds();
// Font files that are not fonts, or not whole; and bitmap fonts, which are fonts all the same.
std::vector<HostileFile> hostileFonts();
