// The game's one font: a TrueType face turned into 128 glyph textures and display lists at
// start-up, and print, which formats text and draws it line by line in world space.
#pragma once

#include <cstddef>
#include <cstdint>
#include <future>
#include <string>
#include <vector>

// One glyph as FreeType renders it: coverage bytes from 0 to 255, rows of width bytes from the
// top; left and top place the picture against the pen, advance moves the pen on afterwards.
struct GlyphImage {
    int width = 0;
    int rows = 0;
    int left = 0;
    int top = 0;
    int advance = 0;
    std::vector<std::uint8_t> coverage;
};

class TextFont {
  public:
    static constexpr int kGlyphCount = 128;
    // Lines are this many times the font's height apart, in eye space.
    static constexpr float kLineSpacingFactor = 1.5873016f;

    static TextFont& instance();

    // Starts rendering the glyphs init will need on a worker thread; needs no GL. init then only
    // uploads them, and throws what rendering met.
    void prepare(const char* fontPath, unsigned int height);
    // Waits for that worker to end, if it runs; what it rendered stays for init.
    void finishPreparing();
    // Builds the glyphs of the face at fontPath, rendered at height points and 96 dpi. Needs a
    // GL context. Throws std::runtime_error when the library, the face or a glyph fails.
    void init(const char* fontPath, unsigned int height);

    bool ready() const { return !textures_.empty(); }
    float height() const { return height_; }
    unsigned listBase() const { return listBase_; }
    // Texture name of each character code 0 to 127.
    const std::vector<unsigned>& textures() const { return textures_; }

  private:
    TextFont() = default;

    float height_ = 0.0f;
    std::vector<unsigned> textures_;
    unsigned listBase_ = 0;
    // Glyphs being rendered ahead of init, and what for.
    std::future<std::vector<GlyphImage>> prepared_;
    std::string preparedPath_;
    unsigned preparedHeight_ = 0;
};

// The 128 glyphs that init builds, rendered without GL from a font held in memory. Throws like
// init.
std::vector<GlyphImage> renderFontGlyphs(const std::uint8_t* data, std::size_t size,
                                         unsigned height);

// The lines print draws for an already formatted text: split at each newline (one more line
// than there are newlines), with bytes above 127, which have no glyph, left out.
std::vector<std::string> splitTextLines(const char* text);

// Formats like printf and draws the text with its pen at the origin of the current modelview
// matrix, baseline at y = 0, in glyph pixels; each newline starts a line further down in eye
// space, whatever scale the caller applied. A null format draws nothing. Text beyond 255
// characters is cut, bytes above 127 are skipped, and nothing is drawn before init.
void print(const TextFont& font, const char* format, ...) __attribute__((format(printf, 2, 3)));
