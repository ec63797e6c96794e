// Checked file output.
#include "OutputFile.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

OutputFile::OutputFile(std::string path) : path_(std::move(path)) {
    file_ = std::fopen(path_.c_str(), "wb");
    if (!file_) {
        throw std::runtime_error("cannot write " + path_ + ": " + std::strerror(errno));
    }
}

OutputFile::~OutputFile() {
    if (file_) {
        std::fclose(file_);
        std::remove(path_.c_str());
    }
}

void OutputFile::write(const void* data, std::size_t size) {
    if (std::fwrite(data, 1, size, file_) != size) {
        fail();
    }
}

void OutputFile::close() {
    const bool written = std::fflush(file_) == 0 && !std::ferror(file_);
    int error = errno;
    const bool closed = std::fclose(file_) == 0;
    error = written ? errno : error;
    file_ = nullptr;
    if (!written || !closed) {
        std::remove(path_.c_str());
        throw std::runtime_error("cannot write " + path_ + ": " + std::strerror(error));
    }
}

void OutputFile::fail() {
    const int error = errno;
    std::fclose(file_);
    file_ = nullptr;
    std::remove(path_.c_str());
    throw std::runtime_error("cannot write " + path_ + ": " + std::strerror(error));
}
