// Writes Quorvel's notification sound: a soft two-note chime (G5 then C6),
// 16-bit PCM, mono, 44100 Hz, 0.7 seconds. Run by the build:
//     quorvel_make_sound <output.wav>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int sampleRate = 44100;
constexpr double lengthSeconds = 0.7;

struct Note {
    double frequency; // Hz
    double start;     // seconds
    double decay;     // seconds for the level to fall to 1/e
    double level;     // peak, as a share of full scale
};

// One bell-like note: a 12 ms rise, then an exponential fall; a quiet second
// harmonic makes it rounder than a bare sine.
double noteSample(const Note& note, double t) {
    const double local = t - note.start;
    if (local < 0.0)
        return 0.0;
    const double attack = 0.012;
    const double rise = local < attack ? local / attack : 1.0;
    const double envelope = rise * std::exp(-local / note.decay);
    const double phase = 2.0 * std::numbers::pi * note.frequency * local;
    return note.level * envelope * (std::sin(phase) + 0.18 * std::sin(2.0 * phase));
}

std::vector<std::int16_t> makeChime() {
    const Note notes[] = {
        {783.99, 0.00, 0.16, 0.32},  // G5
        {1046.50, 0.16, 0.20, 0.30}, // C6
    };
    const int count = static_cast<int>(sampleRate * lengthSeconds);
    const int fadeOut = sampleRate / 50; // last 20 ms end exactly at zero
    std::vector<std::int16_t> samples(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        double value = 0.0;
        for (const Note& note : notes)
            value += noteSample(note, t);
        if (i >= count - fadeOut)
            value *= static_cast<double>(count - 1 - i) / fadeOut;
        value = std::fmax(-1.0, std::fmin(1.0, value));
        samples[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(std::lround(value * 32767.0));
    }
    return samples;
}

void putLE(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A canonical 44-byte RIFF/WAVE header followed by the little-endian samples.
std::string wavFile(const std::vector<std::int16_t>& samples) {
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::string out;
    out += "RIFF";
    putLE(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    putLE(out, 16, 4); // fmt chunk size
    putLE(out, 1, 2);  // PCM
    putLE(out, 1, 2);  // mono
    putLE(out, sampleRate, 4);
    putLE(out, sampleRate * 2, 4); // bytes per second
    putLE(out, 2, 2);              // bytes per frame
    putLE(out, 16, 2);             // bits per sample
    out += "data";
    putLE(out, dataBytes, 4);
    for (std::int16_t s : samples)
        putLE(out, static_cast<std::uint16_t>(s), 2);
    return out;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output.wav>\n", argv[0]);
        return 2;
    }
    const std::string data = wavFile(makeChime());
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    file.write(data.data(), static_cast<std::streamsize>(data.size()));
    file.close();
    if (!file) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
