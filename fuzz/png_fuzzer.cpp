// Feeds arbitrary bytes to the PNG decoder and, for what decodes, to the resampling that makes
// the texture: nothing may crash, overrun or hand back an inconsistent picture.
#include "render/PngImage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PngImage image;
    if (!decodePngMemory(data, size, image)) {
        if (!image.pixels.empty() || image.width != 0) {
            __builtin_trap();
        }
        return 0;
    }
    const bool consistent =
        image.width > 0 && image.height > 0 && image.width <= kMaxPngSide &&
        image.height <= kMaxPngSide && (image.channels == 3 || image.channels == 4) &&
        image.pixels.size() == std::size_t(image.width) * image.height * image.channels;
    if (!consistent) {
        __builtin_trap();
    }
    // Small pictures go on to their power-of-two texture, as the loader takes them.
    if (std::size_t(image.width) * image.height <= 1u << 16) {
        const PngImage texture =
            resampleImage(image, nextPowerOfTwo(image.width), nextPowerOfTwo(image.height));
        if (texture.pixels.size() !=
            std::size_t(texture.width) * texture.height * texture.channels) {
            __builtin_trap();
        }
    }
    return 0;
}
