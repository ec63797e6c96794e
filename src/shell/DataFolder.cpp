// The search for the data folder.
#include "shell/DataFolder.h"

#include "platform/Platform.h"
#include "render/ScoreBoard.h"

#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

namespace {

// A folder holds the data when it holds the font: without it start-up cannot go on, while a
// missing picture or sound only leaves that thing blank or silent.
const std::filesystem::path kMarker = std::filesystem::path(ScoreBoard::kFontPath).relative_path();

struct DataFolder {
    std::filesystem::path path;
    const char* role; // how the folder came to be tried, for the message when none holds the data
};

// The font must be a file the game can read: one it may not open would end start-up with the
// font's message while a later folder could have served.
bool holdsData(const std::filesystem::path& folder) {
    std::error_code error;
    const std::filesystem::path font = folder / kMarker;
    return std::filesystem::is_regular_file(font, error) &&
           std::ifstream(font, std::ios::binary).is_open();
}

std::vector<DataFolder> dataFolderCandidates(const std::filesystem::path& fromEnvironment,
                                             const std::filesystem::path& executable) {
    std::vector<DataFolder> candidates;
    if (!fromEnvironment.empty()) {
        candidates.push_back({fromEnvironment, "EMBERDASH_DATA"});
    }
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    candidates.push_back({error ? std::filesystem::path(".") : current, "the current folder"});
    if (!executable.empty()) {
        const std::filesystem::path beside = executable.parent_path();
        candidates.push_back({beside, "beside the game"});
#ifdef EMBERDASH_GAME_TO_DATA
        // Where an installation puts the data apart from the game.
        candidates.push_back(
            {(beside / EMBERDASH_GAME_TO_DATA).lexically_normal(), "the installed data"});
#endif
    }
    return candidates;
}

// Folder names in the message keep every character, whatever the system's narrow encoding.
std::string utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace

bool enterDataFolder(std::string& message) {
    const std::vector<DataFolder> candidates =
        dataFolderCandidates(environmentPath("EMBERDASH_DATA"), executablePath());
    for (const DataFolder& folder : candidates) {
        if (holdsData(folder.path)) {
            std::error_code error;
            std::filesystem::current_path(folder.path, error);
            if (!error) {
                return true;
            }
        }
    }
    message = std::string("cannot find ") + ScoreBoard::kFontPath + " in";
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        message +=
            (i == 0 ? " " : ", ") + utf8(candidates[i].path) + " (" + candidates[i].role + ")";
    }
    message += "; set EMBERDASH_DATA to the folder that holds images/, fonts/ and audio/";
    return false;
}
