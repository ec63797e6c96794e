// Temporary working directories for tests.
#include "support/ScratchDir.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

ScratchDir::ScratchDir() : previous_(std::filesystem::current_path()) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "emberdash-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        throw std::runtime_error("cannot create a scratch directory");
    }
    path_ = pattern;
    for (const char* folder : {"images", "fonts", "audio"}) {
        std::filesystem::create_directory(path_ / folder);
    }
    std::filesystem::current_path(path_);
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::remove_all(path_, ignored);
}

void ScratchDir::writeFile(const std::string& relativePath, const std::string& bytes) const {
    std::ofstream out(path_ / relativePath, std::ios::binary);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

void ScratchDir::copyGameData(const std::string& relativePath) const {
    std::filesystem::copy_file(std::filesystem::path(EMBERDASH_DATA_DIR) / relativePath,
                               path_ / relativePath,
                               std::filesystem::copy_options::overwrite_existing);
}
