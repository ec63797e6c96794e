// Pictures decoded on worker threads: each listed picture comes out exactly as decoding and
// resampling it on the spot would give it, broken files as failures, and no thread outlives
// the work.
#include <gtest/gtest.h>

#include "render/PicturePreloader.h"
#include "support/ScratchDir.h"
#include "support/TestPng.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <thread>

namespace {

// The threads the kernel lists for this process. Without /proc (on Windows) none are counted:
// the Linux run of this test is the one that counts them.
std::set<std::string> threadsOfThisProcess() {
    std::set<std::string> threads;
    if (!std::filesystem::exists("/proc/self/task")) {
        return threads;
    }
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        threads.insert(task.path().filename().string());
    }
    return threads;
}

// Whether every thread started since `before` was counted has gone. A joined thread leaves
// /proc a moment after the join returns, so the answer is awaited; a leaked one never leaves.
bool noThreadBeyond(const std::set<std::string>& before) {
    for (int look = 0; look < 1000; ++look) {
        const std::set<std::string> now = threadsOfThisProcess();
        if (std::includes(before.begin(), before.end(), now.begin(), now.end())) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

PngImage onTheSpot(const char* path) {
    PngImage image;
    EXPECT_TRUE(decodePngFile(path, image)) << path;
    return resampleImage(image, nextPowerOfTwo(image.width), nextPowerOfTwo(image.height));
}

} // namespace

TEST(PicturePreloader, ListedPicturesComeOutAsDecodedOnTheSpotAndNoThreadIsLeft) {
    ScratchDir dir;
    writePng("images/odd.png", 40, 30, [](int x, int y) {
        return Rgba{std::uint8_t(x * 6), std::uint8_t(y * 8), std::uint8_t(x ^ y), 200};
    });
    writeSolidPng("images/square.png", 64, 64, {10, 200, 30, 255}, {PngKind::Rgb});
    dir.writeFile("images/broken.png", "\x89PNG\r\n\x1a\n and then nothing");
    // A thread started and joined first, so that a sanitizer's helper thread, which comes with
    // the first thread of a process, is counted before as well as after.
    std::thread([] {}).join();
    const std::set<std::string> threadsBefore = threadsOfThisProcess();

    PicturePreloader& preloader = PicturePreloader::instance();
    preloader.start({"images/odd.png", "images/broken.png", "images/odd.png", "images/square.png",
                     "images/missing.png"});
    std::shared_ptr<const PngImage> image;
    // Taken in another order than listed; the file listed twice can be taken twice, and both
    // takers share one picture rather than each holding a copy.
    ASSERT_TRUE(preloader.take("images/square.png", image));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels, onTheSpot("images/square.png").pixels);
    std::shared_ptr<const PngImage> twice[2];
    for (auto& taken : twice) {
        ASSERT_TRUE(preloader.take("images/odd.png", taken));
        ASSERT_TRUE(taken);
        EXPECT_EQ(taken->width, 64);
        EXPECT_EQ(taken->height, 32);
        EXPECT_EQ(taken->pixels, onTheSpot("images/odd.png").pixels);
    }
    EXPECT_EQ(twice[0], twice[1]);
    EXPECT_FALSE(preloader.take("images/odd.png", image));
    for (const char* failing : {"images/broken.png", "images/missing.png"}) {
        ASSERT_TRUE(preloader.take(failing, image)) << failing;
        EXPECT_FALSE(image) << failing;
    }
    EXPECT_FALSE(preloader.take("images/unlisted.png", image));

    preloader.finish();
    EXPECT_TRUE(noThreadBeyond(threadsBefore));
    // Pictures nobody took are dropped; asking for one again means decoding it on the spot.
    preloader.start({"images/square.png"});
    preloader.finish();
    EXPECT_FALSE(preloader.take("images/square.png", image));
    EXPECT_TRUE(noThreadBeyond(threadsBefore));
}
