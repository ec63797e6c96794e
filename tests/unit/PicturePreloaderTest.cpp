// Pictures decoded on worker threads: each listed picture comes out exactly as decoding and
// resampling it on the spot would give it, broken files as failures, and no thread outlives
// the work.
#include <gtest/gtest.h>

#include "render/PicturePreloader.h"
#include "support/ScratchDir.h"
#include "support/TestPng.h"

#include <filesystem>
#include <iterator>
#include <thread>

namespace {

int threadsOfThisProcess() {
    const std::filesystem::directory_iterator tasks("/proc/self/task");
    return int(std::distance(std::filesystem::begin(tasks), std::filesystem::end(tasks)));
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
    const int threadsBefore = threadsOfThisProcess();

    PicturePreloader& preloader = PicturePreloader::instance();
    preloader.start({"images/odd.png", "images/broken.png", "images/odd.png", "images/square.png",
                     "images/missing.png"});
    bool decoded = false;
    PngImage image;
    // Taken in another order than listed; the file listed twice can be taken twice.
    ASSERT_TRUE(preloader.take("images/square.png", decoded, image));
    EXPECT_TRUE(decoded);
    EXPECT_EQ(image.pixels, onTheSpot("images/square.png").pixels);
    for (int take = 0; take < 2; ++take) {
        ASSERT_TRUE(preloader.take("images/odd.png", decoded, image)) << take;
        EXPECT_TRUE(decoded);
        EXPECT_EQ(image.width, 64);
        EXPECT_EQ(image.height, 32);
        EXPECT_EQ(image.pixels, onTheSpot("images/odd.png").pixels);
    }
    EXPECT_FALSE(preloader.take("images/odd.png", decoded, image));
    for (const char* failing : {"images/broken.png", "images/missing.png"}) {
        ASSERT_TRUE(preloader.take(failing, decoded, image)) << failing;
        EXPECT_FALSE(decoded) << failing;
        EXPECT_TRUE(image.pixels.empty()) << failing;
    }
    EXPECT_FALSE(preloader.take("images/unlisted.png", decoded, image));

    preloader.finish();
    EXPECT_EQ(threadsOfThisProcess(), threadsBefore);
    // Pictures nobody took are dropped; asking for one again means decoding it on the spot.
    preloader.start({"images/square.png"});
    preloader.finish();
    EXPECT_FALSE(preloader.take("images/square.png", decoded, image));
    EXPECT_EQ(threadsOfThisProcess(), threadsBefore);
}
