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
Canvas drawFlame();
Canvas drawFlameCore();
Canvas drawFuel();
Canvas drawCooldown();
Canvas drawDiamond();
Canvas drawBackground(const Typefaces& type);
Canvas drawTitleScreen(const Typefaces& type);
Canvas drawInstructions(const Typefaces& type);
Canvas drawGameOver(const Typefaces& type);
Canvas drawIcon();
