#pragma once
// Short PCM WAV effects built from sine tones.

#include <string>
#include <vector>

namespace coursegen {

struct Tone {
    double hz;
    double seconds;
};

// 16-bit mono 22050 Hz; each tone fades in and out to avoid clicks.
bool writeTones(const std::vector<Tone>& tones, const std::string& path);

}  // namespace coursegen
