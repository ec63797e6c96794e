// The sound bank over SDL_mixer. Each effect owns a group of channels, so that its copies take
// over each other's channels and never those of another effect. Every mixer call waits for a
// successful open: SDL_mixer does not check that its channels exist.
//
// The mix is made in 32-bit float, in which SDL adds the channels without clipping between them,
// and a limiter on the finished mix keeps its peaks below -1 dB of full scale before the device
// takes it, both its samples and the peaks a converter rebuilds between them: effects that pile
// up (several tiles burning through at once, the blowout over a burnthrough) are held down
// together, while one effect over the music passes as loud as it was.
#include "audio/SoundBank.h"

#include "audio/PeakLimiter.h"

#include <SDL.h>
#include <SDL_mixer.h>

namespace {

constexpr int kOutputChannels = 2;
constexpr int kChunkFrames = 1024;
constexpr Uint16 kMixFormat = AUDIO_F32SYS;
// -1.2 dB of full scale, for samples and the peaks between them: a meter of those peaks reads up
// to 0.2 dB high near the top of the band, and must read no more than -1 dB.
constexpr float kLimiterCeiling = 0.870964f;
// About 1.5 ms to bring the gain down before a peak, and 80 ms to let it back up.
constexpr int kLimiterLookaheadFrames = 64;
constexpr float kLimiterReleaseSeconds = 0.08f;

struct EffectFile {
    SoundEffect slot;
    const char* path;
};

// The order in which the effects are loaded.
constexpr EffectFile kEffectFiles[SoundBank::kEffectCount] = {
    {SoundEffect::Fuel, "./audio/fuel.wav"},
    {SoundEffect::Blowout, "./audio/blowout.wav"},
    {SoundEffect::Cooldown, "./audio/cooldown.wav"},
    {SoundEffect::Burnthrough, "./audio/burnthrough.wav"},
};

// The music track. It lives here rather than in the bank's header because SDL_mixer's releases
// name its type differently, and only SDL_mixer's own header spells it right for each.
Mix_Music* stream = nullptr;
// Runs on the audio device's thread, after every channel and the music are mixed; the bank
// creates it before the mixer first calls it and frees it once the device is closed. A plain
// pointer, which nothing frees at exit: the game ends without closing the device, and the
// mixer's thread goes on calling the limiter while the process ends.
PeakLimiter* limiter = nullptr;

void limitMix(void* udata, Uint8* stream, int bytes) {
    PeakLimiter& limiting = *static_cast<PeakLimiter*>(udata);
    limiting.process(reinterpret_cast<float*>(stream),
                     bytes / int(sizeof(float) * limiting.channels()));
}

bool validEffect(int index) {
    return index >= 0 && index < SoundBank::kEffectCount;
}

// Whether SDL's own WAV reader finds samples in the file. Some SDL_mixer releases hand back a
// chunk whose buffer is already freed for a file whose header promises data it does not hold,
// and freeing that chunk later frees it twice: such a file is treated as missing instead.
bool holdsSamples(const char* path) {
    SDL_AudioSpec format;
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV(path, &format, &buffer, &length)) {
        return false;
    }
    SDL_FreeWAV(buffer);
    return length > 0;
}

int firstChannelOf(int index) {
    return index * SoundBank::kCopiesPerEffect;
}

} // namespace

SoundBank& SoundBank::instance() {
    static SoundBank* bank = new SoundBank();
    return *bank;
}

void SoundBank::init() {
    if (open_) {
        return;
    }
    // SDL would otherwise take SIGINT and SIGTERM for quit events, which the game never reads:
    // Ctrl-C, kill and a desktop ending its session must end the game as they end any program.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return;
    }
    // The mix stays in float whatever the device plays, which SDL converts to; the rate and the
    // channels follow the device's, as they always did.
    if (Mix_OpenAudioDevice(kOutputRate, kMixFormat, kOutputChannels, kChunkFrames, nullptr,
                            SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE) !=
        0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    open_ = true;
    int rate = 0, channels = 0;
    Uint16 format = 0;
    if (Mix_QuerySpec(&rate, &format, &channels) && format == kMixFormat) {
        limiter = new PeakLimiter(channels, rate, kLimiterCeiling, kLimiterLookaheadFrames,
                                  kLimiterReleaseSeconds);
        Mix_SetPostMix(limitMix, limiter);
    }
    Mix_Init(MIX_INIT_MP3);
    // Opening and allocating both reset the group tags, so the groups are tagged last.
    Mix_AllocateChannels(kEffectCount * kCopiesPerEffect);
    for (int index = 0; index < kEffectCount; ++index) {
        Mix_GroupChannels(firstChannelOf(index), firstChannelOf(index) + kCopiesPerEffect - 1,
                          index);
    }
    for (const EffectFile& effect : kEffectFiles) {
        samples_[int(effect.slot)] = holdsSamples(effect.path) ? Mix_LoadWAV(effect.path) : nullptr;
    }
}

void SoundBank::playEffect(int index) {
    if (!open_ || !validEffect(index) || !samples_[index]) {
        return;
    }
    int channel = Mix_GroupAvailable(index);
    if (channel < 0) {
        channel = Mix_GroupOldest(index);
    }
    if (channel < 0) {
        // Every copy finished between the two questions: a channel is free again.
        channel = Mix_GroupAvailable(index);
    }
    if (channel >= 0) {
        Mix_PlayChannel(channel, samples_[index], 0);
    }
}

void SoundBank::playMusic(const char* path) {
    if (!open_) {
        return;
    }
    if (stream) {
        Mix_FreeMusic(stream);
    }
    stream = Mix_LoadMUS(path);
    if (stream) {
        Mix_PlayMusic(stream, -1);
    }
}

void SoundBank::stopMusic() {
    if (open_) {
        Mix_HaltMusic();
    }
}

int SoundBank::playingCopies(int index) const {
    if (!open_ || !validEffect(index)) {
        return 0;
    }
    int playing = 0;
    for (int channel = firstChannelOf(index); channel < firstChannelOf(index + 1); ++channel) {
        playing += Mix_Playing(channel) ? 1 : 0;
    }
    return playing;
}

bool SoundBank::musicPlaying() const {
    return open_ && Mix_PlayingMusic();
}

void SoundBank::shutdown() {
    if (!open_) {
        return;
    }
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    if (stream) {
        Mix_FreeMusic(stream);
        stream = nullptr;
    }
    for (Mix_Chunk*& sample : samples_) {
        if (sample) {
            Mix_FreeChunk(sample);
            sample = nullptr;
        }
    }
    Mix_SetPostMix(nullptr, nullptr);
    Mix_CloseAudio();
    delete limiter;
    limiter = nullptr;
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    open_ = false;
}
