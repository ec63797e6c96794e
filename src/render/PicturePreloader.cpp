// Pictures decoded on worker threads.
#include "render/PicturePreloader.h"

#include "platform/Platform.h"

#include <algorithm>
#include <exception>
#include <system_error>

namespace {

// The main thread creates the window meanwhile, and that is the longest part of start-up: it
// keeps a core to itself, and the workers share the rest (one at least).
unsigned workerCount(std::size_t jobs) {
    if (!startUpThreadsAvailable()) {
        return 0;
    }
    const unsigned cores = std::thread::hardware_concurrency();
    return unsigned(std::min<std::size_t>(cores > 2 ? cores - 1 : 1, jobs));
}

} // namespace

bool preparePicture(const char* path, PngImage& image) {
    if (!decodePngFile(path, image)) {
        return false;
    }
    // No decoded side exceeds kMaxPngSide, so neither does its power of two.
    image = powerOfTwoImage(std::move(image), kMaxPngSide);
    return true;
}

PicturePreloader& PicturePreloader::instance() {
    static PicturePreloader* preloader = new PicturePreloader();
    return *preloader;
}

void PicturePreloader::start(const std::vector<const char*>& paths) {
    finish();
    for (const char* path : paths) {
        const auto listed = std::find_if(jobs_.begin(), jobs_.end(),
                                         [path](const Job& job) { return job.path == path; });
        if (listed != jobs_.end()) {
            ++listed->takesLeft;
        } else {
            Job job;
            job.path = path;
            job.takesLeft = 1;
            jobs_.push_back(std::move(job));
        }
    }
    nextJob_ = 0;
    try {
        for (unsigned i = workerCount(jobs_.size()); i > 0; --i) {
            workers_.emplace_back(&PicturePreloader::work, this);
        }
    } catch (const std::system_error&) {
        // One worker gets through every job.
    }
    // With none, each picture is decoded on this thread when it is needed.
    if (workers_.empty()) {
        jobs_.clear();
    }
}

void PicturePreloader::work() {
    std::unique_lock lock(mutex_);
    while (nextJob_ < jobs_.size()) {
        Job& job = jobs_[nextJob_++];
        lock.unlock();
        std::shared_ptr<PngImage> image;
        try {
            image = std::make_shared<PngImage>();
            if (!preparePicture(job.path.c_str(), *image)) {
                image.reset();
            }
        } catch (const std::exception&) {
            // Out of memory for a huge picture: it is left blank, as a broken file is.
            image.reset();
        }
        lock.lock();
        job.image = std::move(image);
        job.ready = true;
        jobDone_.notify_all();
    }
}

bool PicturePreloader::take(const char* path, std::shared_ptr<const PngImage>& image) {
    std::unique_lock lock(mutex_);
    const auto job = std::find_if(jobs_.begin(), jobs_.end(), [path](const Job& listed) {
        return listed.path == path && listed.takesLeft > 0;
    });
    if (job == jobs_.end()) {
        return false;
    }
    jobDone_.wait(lock, [&job] { return job->ready; });
    image = job->image;
    // After the last taker the picture lives only as long as that taker keeps it.
    if (--job->takesLeft == 0) {
        job->image.reset();
    }
    return true;
}

void PicturePreloader::finish() {
    for (std::thread& worker : workers_) {
        worker.join();
    }
    workers_.clear();
    jobs_.clear();
    nextJob_ = 0;
}
