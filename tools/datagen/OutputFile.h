// A data file being written: every write and the close are checked, and a file that could not be
// written whole is removed, so that a failed run leaves nothing the build could take for done.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

class OutputFile {
  public:
    // Opens path for writing; throws std::runtime_error when it cannot.
    explicit OutputFile(std::string path);
    // Removes the file unless close() succeeded.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // For writers that take a stream (libpng); close() still checks what they wrote.
    FILE* stream() { return file_; }
    // Writes all of data or throws.
    void write(const void* data, std::size_t size);
    // Flushes and closes; throws, removing the file, when anything written did not reach it.
    void close();

  private:
    [[noreturn]] void fail();

    std::string path_;
    FILE* file_ = nullptr;
};
