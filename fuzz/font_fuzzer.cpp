// Feeds arbitrary bytes to FreeType as the game's font and renders the 128 glyphs the way start-up
// does: a file that is not a font must fail with a message, and every glyph that comes out must
// hold exactly width by rows coverage bytes.
#include "render/TextFont.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        for (const GlyphImage& glyph : renderFontGlyphs(data, size, 46)) {
            if (glyph.width < 0 || glyph.rows < 0 ||
                glyph.coverage.size() != std::size_t(glyph.width) * std::size_t(glyph.rows)) {
                __builtin_trap();
            }
        }
    } catch (const std::runtime_error&) {
        // Refused as a font: what the game reports and stops on.
    }
    return 0;
}
