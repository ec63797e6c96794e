// The game's pictures, each drawn from shapes, gradients, noise and type.
#pragma once

#include "Canvas.h"
#include "Text.h"

struct Typefaces {
    const Typeface& display; // heavy, for titles
    const Typeface& body;    // bold, for lines of text
};

Canvas drawTile();
Canvas drawHole();
// The flame and its core at a side of size pixels; the game's sprites are 128.
Canvas drawFlame(int size = 128);
Canvas drawFlameCore(int size = 128);
Canvas drawFuel();
Canvas drawCooldown();
Canvas drawDiamond();
Canvas drawBackground(const Typefaces& type);
Canvas drawTitleScreen(const Typefaces& type);
Canvas drawInstructions(const Typefaces& type);
Canvas drawGameOver(const Typefaces& type);
// The game's icon, size pixels square: 256 for the desktop, 192 and 512 for the web page.
Canvas drawIcon(int size);
