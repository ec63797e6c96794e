// Feeds arbitrary text through the same cut to 255 characters and line splitting that print
// uses: every line must be drawable (codes 0 to 127, no newline) and none may go missing.
#include "render/TextFont.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    char text[256];
    std::snprintf(text, sizeof text, "%s", input.c_str());

    std::size_t newlines = 0, drawable = 0, length = 0;
    for (const char* c = text; *c; ++c, ++length) {
        newlines += *c == '\n';
        drawable += *c != '\n' && static_cast<unsigned char>(*c) < 128;
    }
    const std::vector<std::string> lines = splitTextLines(text);
    std::size_t drawn = 0;
    for (const std::string& line : lines) {
        for (char c : line) {
            if (c == '\n' || static_cast<unsigned char>(c) >= 128) {
                __builtin_trap();
            }
        }
        drawn += line.size();
    }
    if (length > 255 || lines.size() != newlines + 1 || drawn != drawable) {
        __builtin_trap();
    }
    return 0;
}
