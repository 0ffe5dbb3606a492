#include "wave_sound.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>

namespace coursegen {

bool writeTones(const std::vector<Tone>& tones, const std::string& path) {
    const int rate = 22050;
    std::vector<int16_t> samples;
    for (const Tone& t : tones) {
        int n = int(t.seconds * rate);
        for (int i = 0; i < n; ++i) {
            double env = std::min({1.0, i / 200.0, (n - i) / 400.0});
            double s = t.hz > 0 ? std::sin(2 * M_PI * t.hz * i / rate) : 0;
            samples.push_back(int16_t(std::lround(s * env * 12000)));
        }
    }
    std::vector<uint8_t> b;
    auto put = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) b.push_back(uint8_t(v >> (8 * i)));
    };
    uint32_t data = uint32_t(samples.size() * 2);
    b.insert(b.end(), {'R', 'I', 'F', 'F'});
    put(36 + data, 4);
    b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put(16, 4);
    put(1, 2);  // PCM
    put(1, 2);  // mono
    put(rate, 4);
    put(rate * 2, 4);
    put(2, 2);
    put(16, 2);
    b.insert(b.end(), {'d', 'a', 't', 'a'});
    put(data, 4);
    for (int16_t s : samples) put(uint16_t(s), 2);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
    return bool(out);
}

}  // namespace coursegen
