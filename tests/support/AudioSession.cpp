// Headless audio sessions for tests.
#include "support/AudioSession.h"

#include <cstdlib>

AudioSession::AudioSession(const char* driver, const std::string& diskFile) {
    setenv("SDL_AUDIODRIVER", driver, 1);
    if (!diskFile.empty()) {
        setenv("SDL_DISKAUDIOFILE", diskFile.c_str(), 1);
    }
    SoundBank::instance().init();
}

AudioSession::~AudioSession() {
    SoundBank::instance().shutdown();
}
