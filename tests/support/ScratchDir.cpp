// Temporary working directories for tests.
#include "support/ScratchDir.h"

#include <fstream>
#include <random>
#include <stdexcept>

ScratchDir::ScratchDir() : previous_(std::filesystem::current_path()) {
    // A new folder of a random name, made by this test alone (create_directory fails when the
    // name exists).
    std::random_device entropy;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        const std::filesystem::path candidate = std::filesystem::temp_directory_path() /
                                                ("emberdash-test-" + std::to_string(entropy()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
        }
    }
    if (path_.empty()) {
        throw std::runtime_error("cannot create a scratch directory");
    }
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
