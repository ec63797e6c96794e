// The game's sound effects and its music loop.
#pragma once

#include "Synth.h"

Sound makeFuelChime();
Sound makeCooldownShimmer();
Sound makeBurnthroughCrunch();
Sound makeBlowout();
// A loop whose last sample leads straight into its first.
Sound makeMusicLoop();
