// Headless audio sessions for tests.
#include "support/AudioSession.h"

#include <SDL.h>

// SDL's own setter, which SDL's reading of the variables sees on every system.
AudioSession::AudioSession(const char* driver, const std::string& diskFile) {
    SDL_setenv("SDL_AUDIODRIVER", driver, 1);
    if (!diskFile.empty()) {
        SDL_setenv("SDL_DISKAUDIOFILE", diskFile.c_str(), 1);
    }
    SoundBank::instance().init();
}

AudioSession::~AudioSession() {
    SoundBank::instance().shutdown();
}
