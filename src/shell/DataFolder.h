// Finding the folder that holds the game's data. The game reads every file by a path relative to
// its current folder, so it moves into that folder before it loads anything.
#pragma once

#include <string>

// Makes the first folder that holds the data the current one, trying in this order: the folder
// EMBERDASH_DATA names (when set), the current folder, the executable's own folder (a build
// folder), and the installed data folder, found from the executable's place. When none holds the
// data, returns false with one line that names the missing file and every folder looked in.
bool enterDataFolder(std::string& message);
