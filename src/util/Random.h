// Random numbers from the C library's generator, seeded from the clock on first use.
#pragma once

// True until the first call of randomInt or randomFloat seeds the generator.
extern bool seedPending;

// An integer in [0, n); 0 without drawing when n is 0 or negative.
int randomInt(int n);

// One of 10000 evenly spaced values in [low, high); high itself never comes out.
float randomFloat(float low, float high);
