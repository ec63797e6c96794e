// Random numbers from the game's own generator, seeded from the clock on first use. The generator
// is the GNU C library's rand() with its default state, written out here so that a seed gives the
// same play on every system, whatever its C library does.
#pragma once

// True until the first call of randomInt or randomFloat seeds the generator.
extern bool seedPending;

// Starts the sequence over from a seed; tests use it to make placements repeat.
void seedRandom(unsigned seed);

// An integer in [0, n); 0 without drawing when n is 0 or negative.
int randomInt(int n);

// One of 10000 evenly spaced values in [low, high); high itself never comes out.
float randomFloat(float low, float high);
