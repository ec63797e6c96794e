// Recipes for every picture. Sprites are 128 pixels square and screens fill the 1024 by 768
// window; screen positions are given in world units where the game draws over them.
#include "Images.h"

#include "Shapes.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSprite = 128;
constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr float kPixelsPerUnit = 10.24f;

// World positions on a full-window picture (y grows up in the world and down in the picture).
float screenX(float worldX) {
    return (worldX + 50.0f) * kPixelsPerUnit;
}
float screenY(float worldY) {
    return (75.0f - worldY) * kPixelsPerUnit;
}

const Color kEmber = hex(0xff6a1a);
const Color kNight = hex(0x140a07);

// Keeps a sprite's glow inside its square, so that its corners are fully transparent.
float spriteWindow(Point p) {
    const float d = std::hypot(p.x - kSprite / 2.0f, p.y - kSprite / 2.0f);
    return 1.0f - smoothstep(kSprite * 0.40f, kSprite * 0.49f, d);
}

// Fire colours from a white-hot top to a deep red foot, t from 0 (top) to 1 (bottom).
Color fireGradient(float t) {
    const Color stops[] = {hex(0xfff6c8), hex(0xffc23a), hex(0xff6a1a), hex(0xb8180c)};
    t = clamp01(t) * 3.0f;
    const int i = std::min(int(t), 2);
    return mix(stops[i], stops[i + 1], t - float(i));
}

void glowDot(Canvas& canvas, Point centre, float radius, Color colour) {
    const int reach = int(radius * 4) + 1;
    for (int y = int(centre.y) - reach; y <= int(centre.y) + reach; ++y) {
        for (int x = int(centre.x) - reach; x <= int(centre.x) + reach; ++x) {
            if (x < 0 || y < 0 || x >= canvas.width() || y >= canvas.height()) {
                continue;
            }
            const float d = circleDistance({x + 0.5f, y + 0.5f}, centre, radius * 0.35f);
            const float a = glow(d, radius * 0.5f) * colour.a;
            canvas.at(x, y) = over(withAlpha(colour, a), canvas.at(x, y));
        }
    }
}

// Sparks drifting in the dark, more of them low down; keepOut says where none may fall.
template <typename KeepOut>
void scatterEmbers(Canvas& canvas, int count, unsigned seed, KeepOut keepOut) {
    for (int i = 0; i < count; ++i) {
        const unsigned key = seed * 7919u + unsigned(i) * 104729u;
        const float x = hashUnit(key) * canvas.width();
        const float y = std::sqrt(hashUnit(key + 1)) * canvas.height();
        if (keepOut(Point{x, y})) {
            continue;
        }
        const float size = 1.0f + 3.0f * hashUnit(key + 2) * hashUnit(key + 3);
        const Color colour = mix(hex(0xffd27a), kEmber, hashUnit(key + 4));
        glowDot(canvas, {x, y}, size, withAlpha(colour, 0.35f + 0.5f * hashUnit(key + 5)));
    }
}

// A dark, warm backdrop: a glow rising from below, and mottled smoke.
Canvas screenBackdrop(unsigned seed, float warmth) {
    Canvas canvas(kScreenWidth, kScreenHeight, kNight);
    canvas.paint([&](float x, float y) {
        const float rise = std::exp(-std::hypot((x - 512) / 700.0f, (y - 900) / 520.0f) * 2.2f);
        const float smoke = fractalNoise(x / 140.0f, y / 140.0f, seed);
        const Color c = mix(hex(0x1c0d08), hex(0x6e1e0a), rise * warmth);
        return withAlpha(mix(c, hex(0x2a140c), 0.35f * smoke), 1.0f);
    });
    return canvas;
}

// Heavy type with a fiery fill and a glow around it, centred on x.
void fieryTitle(Canvas& canvas, const Typeface& face, const std::string& text, int pixelHeight,
                float centreX, float baselineY) {
    const int margin = pixelHeight / 3;
    const Mask mask = face.render(text, pixelHeight, margin);
    const Mask halo = blur(mask, pixelHeight / 12);
    drawMask(canvas, halo, centreX, baselineY, Align::Centre, [&](float, float, float c) {
        return withAlpha(kEmber, std::min(1.0f, c * 1.6f) * 0.85f);
    });
    const float top = baselineY - pixelHeight * 0.72f;
    drawMask(canvas, mask, centreX, baselineY, Align::Centre, [&](float x, float y, float c) {
        const float t = (y - top) / (pixelHeight * 0.78f);
        const float flicker = 0.12f * (fractalNoise(x / 22.0f, y / 30.0f, 41) - 0.5f);
        return withAlpha(fireGradient(t + flicker), c);
    });
}

void line(Canvas& canvas, const Typeface& face, const std::string& text, int pixelHeight, float x,
          float baselineY, Align align, Color colour) {
    const Mask mask = face.render(text, pixelHeight, 2);
    drawMask(canvas, mask, x, baselineY, align,
             [&](float, float, float c) { return withAlpha(colour, colour.a * c); });
}

Canvas tinted(const Canvas& picture, Color tint) {
    Canvas out = picture;
    for (int y = 0; y < out.height(); ++y) {
        for (int x = 0; x < out.width(); ++x) {
            Color& c = out.at(x, y);
            c = {c.r * tint.r, c.g * tint.g, c.b * tint.b, clamp01(c.a * tint.a)};
        }
    }
    return out;
}

} // namespace

Canvas drawTile() {
    Canvas canvas(kSprite, kSprite);
    const float bevel = 8.0f;
    canvas.paint([&](float x, float y) {
        const float mottling = fractalNoise(x / 22.0f, y / 22.0f, 3) - 0.5f;
        const float grain = fractalNoise(x / 5.0f, y / 5.0f, 9, 2) - 0.5f;
        const float lit = 1.0f - smoothstep(0.0f, bevel, std::min(x, y));
        const float shaded = 1.0f - smoothstep(0.0f, bevel, std::min(kSprite - x, kSprite - y));
        const float value = 0.84f + 0.12f * mottling + 0.06f * grain + 0.16f * lit - 0.5f * shaded;
        return mix(hex(0xb3a798), hex(0xfffcf6), clamp01(value));
    });
    return canvas;
}

Canvas drawHole() {
    Canvas canvas(kSprite, kSprite);
    canvas.paint([](float x, float y) {
        const float edge = std::min(std::min(x, kSprite - x), std::min(y, kSprite - y));
        const float flicker = 0.55f + 0.45f * fractalNoise(x / 9.0f, y / 9.0f, 17);
        const float ember = std::exp(-edge / 6.0f) * flicker;
        const float depth = std::hypot(x - 64, y - 64) / 90.0f;
        const Color pit = mix(hex(0x040302), hex(0x140c08), depth);
        return withAlpha(mix(pit, hex(0xff5a14), 0.8f * ember), 1.0f);
    });
    return canvas;
}

namespace {

// A sprite drawn at any size: shade answers for a point in the sprite's own 128-unit square.
template <typename Shade>
Canvas paintSprite(int size, Shade shade) {
    Canvas canvas(size, size);
    const float toSprite = float(kSprite) / float(size);
    canvas.paint([&](float x, float y) { return shade(x * toSprite, y * toSprite); });
    return canvas;
}

} // namespace

Canvas drawFlame(int size) {
    return paintSprite(size, [](float x, float y) {
        // A teardrop: round at the foot, drawn up into a tongue.
        const float narrowing = 0.5f + 0.5f * smoothstep(8.0f, 84.0f, y);
        const float dx = (x - 64.0f) / (46.0f * narrowing);
        const float dy = (y - 74.0f) / (y < 74.0f ? 64.0f : 44.0f);
        const float wobble = 0.12f * (fractalNoise(x / 16.0f, y / 16.0f, 23) - 0.5f);
        const float r = std::hypot(dx, dy) + wobble;
        const float a = 1.0f - smoothstep(0.25f, 0.95f, r);
        return withAlpha(hex(0xfffaf2), a * spriteWindow({x, y}));
    });
}

Canvas drawFlameCore(int size) {
    return paintSprite(size, [](float x, float y) {
        const float r = std::hypot((x - 64.0f) / 26.0f, (y - 70.0f) / 30.0f);
        const float a = std::pow(1.0f - smoothstep(0.0f, 1.0f, r), 1.6f);
        return withAlpha(rgb(1, 1, 1), a);
    });
}

Canvas drawFuel() {
    Canvas canvas(kSprite, kSprite);
    const Point centre{64, 64};
    const float radius = 33;
    canvas.paint([&](float x, float y) {
        const float d = circleDistance({x, y}, centre, radius);
        const float halo = glow(d, 9.0f) * 0.6f * spriteWindow({x, y});
        const float shade = std::hypot(x - 54, y - 52) / (radius * 1.5f);
        const Color body = shade < 0.5f ? mix(hex(0xfff4b0), hex(0xffb21f), shade * 2)
                                        : mix(hex(0xffb21f), hex(0xd94c00), shade * 2 - 1);
        const Color lit = over(withAlpha(body, coverage(d)), withAlpha(hex(0xff9a1a), halo));
        const float spark = coverage(circleDistance({x, y}, {52, 50}, 8), 6.0f) * 0.7f;
        return over(withAlpha(rgb(1, 1, 0.92f), spark * coverage(d)), lit);
    });
    return canvas;
}

Canvas drawCooldown() {
    Canvas canvas(kSprite, kSprite);
    // An arrow pointing down: the floor cools.
    const std::vector<Point> arrow = {{50, 14},  {78, 14}, {78, 60}, {101, 60},
                                      {64, 112}, {27, 60}, {50, 60}};
    canvas.paint([&](float x, float y) {
        const float d = polygonDistance({x, y}, arrow);
        const float halo = glow(d, 8.0f) * 0.55f * spriteWindow({x, y});
        const Color fill = mix(hex(0xe6fbff), hex(0x2f8cff), smoothstep(14, 112, y));
        const float rim = coverage(std::abs(d + 2.0f) - 1.6f);
        const Color body = over(withAlpha(rgb(1, 1, 1), rim * 0.9f), withAlpha(fill, coverage(d)));
        return over(body, withAlpha(hex(0x7fd8ff), halo));
    });
    return canvas;
}

Canvas drawDiamond() {
    Canvas canvas(kSprite, kSprite);
    const std::vector<Point> diamond = {{64, 12}, {110, 64}, {64, 116}, {18, 64}};
    canvas.paint([&](float x, float y) {
        const float d = polygonDistance({x, y}, diamond);
        const float halo = glow(d, 8.0f) * 0.5f * spriteWindow({x, y});
        // Four facets, lit from the top left.
        const float facet = (x < 64 ? 0.0f : 0.25f) + (y < 64 ? 0.0f : 0.45f);
        const Color fill = mix(hex(0xb9ffc8), hex(0x0f8a3a), facet + 0.15f * (y / kSprite));
        return over(withAlpha(fill, coverage(d)), withAlpha(hex(0x4dff88), halo));
    });
    return canvas;
}

Canvas drawBackground(const Typefaces& type) {
    Canvas canvas = screenBackdrop(5, 0.55f);
    // The floor's frame: world x from -48 to 24, y from 1.5 to 73.5.
    const Point floorCentre{(screenX(-48) + screenX(24)) / 2, (screenY(1.5f) + screenY(73.5f)) / 2};
    const float floorHalfW = (screenX(24) - screenX(-48)) / 2;
    const float floorHalfH = (screenY(1.5f) - screenY(73.5f)) / 2;
    // The score panel, where the label and number stand from world x 29, around y 40 to 50.
    const Point panelCentre{(screenX(27) + screenX(48.5f)) / 2, (screenY(36) + screenY(53.5f)) / 2};
    const float panelHalfW = (screenX(48.5f) - screenX(27)) / 2;
    const float panelHalfH = (screenY(36) - screenY(53.5f)) / 2;

    canvas.paint([&](float x, float y) {
        const float d = boxDistance({x, y}, floorCentre, floorHalfW, floorHalfH);
        const float shadow = (1.0f - smoothstep(0.0f, 26.0f, d)) * 0.6f;
        const float rim = coverage(d - 9.0f) * (1.0f - coverage(d));
        const float sheen = 0.5f + 0.5f * (1.0f - y / kScreenHeight);
        const Color frame = mix(hex(0x4a2414), hex(0xc0642a), sheen * smoothstep(9, 0, d));
        const Color under =
            over(withAlpha(hex(0x050202), shadow), withAlpha(hex(0x0a0504), coverage(d)));
        return over(withAlpha(frame, rim), under);
    });
    canvas.paint([&](float x, float y) {
        const float d = boxDistance({x, y}, panelCentre, panelHalfW, panelHalfH, 14.0f);
        const float border = coverage(std::abs(d + 1.5f) - 1.2f);
        const Color inside = mix(hex(0x1a0b07), hex(0x0e0604), (y - 220) / 190.0f);
        return over(withAlpha(hex(0xff8a3a), border * 0.7f),
                    withAlpha(inside, coverage(d) * 0.92f));
    });
    fieryTitle(canvas, type.display, "Emberdash", 36, panelCentre.x, screenY(59));
    scatterEmbers(canvas, 90, 12, [&](Point p) {
        return boxDistance(p, floorCentre, floorHalfW + 20, floorHalfH + 20) < 0 ||
               boxDistance(p, panelCentre, panelHalfW + 20, panelHalfH + 20) < 0 ||
               p.y < screenY(56);
    });
    return canvas;
}

Canvas drawTitleScreen(const Typefaces& type) {
    Canvas canvas = screenBackdrop(7, 1.0f);
    scatterEmbers(canvas, 260, 3, [](Point p) { return std::abs(p.y - 330) < 90; });
    fieryTitle(canvas, type.display, "Emberdash", 168, 512, 380);
    line(canvas, type.body, "Steer the flame. Spare the floor.", 32, 512, 460, Align::Centre,
         hex(0xe0a27c));
    line(canvas, type.body, "Click to start", 44, 512, 640, Align::Centre, hex(0xffe6c8));
    return canvas;
}

Canvas drawInstructions(const Typefaces& type) {
    Canvas canvas = screenBackdrop(9, 0.6f);
    fieryTitle(canvas, type.display, "How to play", 84, 512, 140);
    const Color ink = hex(0xf6e6d8);
    const float textX = 200, iconX = 120;
    const float baselines[] = {250, 340, 430, 520, 610};
    const char* lines[] = {
        "Hold the left button to steer, or click where to go.",
        "Collect fuel for 100 points.",
        "Cooldown pickups cool the whole floor.",
        "A tile left under the fire burns through.",
        "The run ends when the fire stands over a hole.",
    };
    for (int i = 0; i < 5; ++i) {
        line(canvas, type.body, lines[i], 32, textX, baselines[i], Align::Left, ink);
    }
    canvas.draw(drawFuel(), iconX - 6, baselines[1] - 50, 68, 68);
    canvas.draw(drawCooldown(), iconX - 6, baselines[2] - 50, 68, 68);
    line(canvas, type.body, "Click to start", 44, 512, 715, Align::Centre, hex(0xffc27a));
    return canvas;
}

Canvas drawGameOver(const Typefaces& type) {
    Canvas canvas = screenBackdrop(11, 0.8f);
    // The final score is printed from world x -26 at baseline y 15, about 9 units tall: that
    // band stays calm, with faint rules above and below it.
    const float bandTop = screenY(25.5f), bandBottom = screenY(11.5f);
    scatterEmbers(canvas, 160, 5,
                  [&](Point p) { return p.y > bandTop - 40 && p.y < bandBottom + 40; });
    canvas.paint([&](float x, float y) {
        const float fade = 1.0f - smoothstep(120, 420, std::abs(x - 512));
        const float rule =
            coverage(std::abs(y - bandTop) - 0.8f) + coverage(std::abs(y - bandBottom) - 0.8f);
        return withAlpha(hex(0xff8a3a), rule * fade * 0.5f);
    });
    fieryTitle(canvas, type.display, "Game Over", 150, 512, 330);
    line(canvas, type.body, "Close the window to quit", 28, 512, 735, Align::Centre, hex(0xb08a74));
    return canvas;
}

Canvas drawIcon(int size) {
    Canvas canvas(size, size);
    // Drawn as at 256 pixels, scaled: the flame's sprite is half the icon's side at every size.
    const float scale = float(size) / 256;
    const Canvas flame = drawFlame(size / 2);
    // The fire as the game stacks it: a column of five layers from a faint yellow top to an
    // opaque orange foot, the red base over it, and the white core on top.
    const float side = 208 * scale, left = 24 * scale, top = 44 * scale;
    const float pixelsPerUnit = side / 4;
    for (int row = 1; row <= 5; ++row) {
        const float rise = 0.3f * float(6 - row) * pixelsPerUnit;
        const Color tint = rgb(1.0f, 0.2f * float(6 - row) + 0.1f, 0.0f, float(row) / 6 + 0.2f);
        canvas.draw(tinted(flame, tint), left, top - rise, side, side);
    }
    canvas.draw(tinted(flame, rgb(1.0f, 0.1f, 0.0f)), left, top, side, side);
    canvas.draw(drawFlameCore(size / 2), left, top, side, side);
    return canvas;
}
