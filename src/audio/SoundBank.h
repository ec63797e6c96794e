// The game's audio: four short effects played on game events and one music track that loops
// from the title screen until the run ends. When audio is unavailable everything here is silent.
#pragma once

struct Mix_Chunk;

enum class SoundEffect : int {
    Fuel = 0,
    Blowout = 1,
    Burnthrough = 2,
    Cooldown = 3,
};

class SoundBank {
  public:
    static constexpr int kEffectCount = 4;
    // Copies of one effect that may sound at once; a further play restarts the oldest copy.
    static constexpr int kCopiesPerEffect = 4;
    static constexpr int kOutputRate = 44100;

    static SoundBank& instance();

    // Opens the output device and loads the four effects.
    void init();
    // Plays an effect from its start.
    void playEffect(int index);
    void playEffect(SoundEffect effect) { playEffect(int(effect)); }
    // Replaces the music by the file at path and starts it, looping without end.
    void playMusic(const char* path);
    // Stops the music; the track stays loaded.
    void stopMusic();

    // What is sounding now: copies of an effect, and whether the music plays.
    bool isOpen() const { return open_; }
    int playingCopies(int index) const;
    bool musicPlaying() const;

    // Closes the device and frees every sound. The game never calls it; tests and leak checks
    // use it to start over.
    void shutdown();

  private:
    SoundBank() = default;

    bool open_ = false;
    Mix_Chunk* samples_[kEffectCount] = {};
};
