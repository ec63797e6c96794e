// Decodes pictures on worker threads ahead of the upload that needs them, so that decoding and
// resampling run while the window and its GL context are being created. Nothing here touches GL;
// the uploads stay on the main thread, in the order the game has always loaded its pictures.
#pragma once

#include "render/PngImage.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class PicturePreloader {
  public:
    static PicturePreloader& instance();

    // Starts decoding the files, in this order, on worker threads. A path may be listed more
    // than once: it is decoded once and can be taken as many times as it was listed.
    void start(const std::vector<const char*>& paths);
    // The picture at path as loadPngTexture would upload it: decoded, with its sides brought to
    // powers of two, or null when the file could not be decoded. Every taker of a path listed
    // twice shares the one picture: a large one is never copied. Waits for its worker if need
    // be. Returns false when path was not preloaded, or has been taken as often as it was
    // listed; the caller then decodes the file itself.
    bool take(const char* path, std::shared_ptr<const PngImage>& image);
    // Waits for every worker to end and drops the pictures nobody took. After it no thread of
    // the preloader is alive.
    void finish();

  private:
    struct Job {
        std::string path;
        int takesLeft = 0;
        bool ready = false;
        std::shared_ptr<const PngImage> image; // null when the file could not be decoded
    };

    PicturePreloader() = default;
    void work();

    std::mutex mutex_;
    std::condition_variable jobDone_;
    std::vector<Job> jobs_;
    std::size_t nextJob_ = 0;
    std::vector<std::thread> workers_;
};

// The picture at path decoded and brought to power-of-two sides (within kMaxPngSide): what a
// texture is made of. False, with image empty, when the file cannot be decoded.
bool preparePicture(const char* path, PngImage& image);
