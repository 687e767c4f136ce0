// Sound effects and music, synthesised: a few oscillators, envelopes and a step sequencer
// that reads tunes written as note names. Everything is computed in floats at 22050 Hz
// and written as 16-bit samples.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "tools/assets/assets.h"

namespace {

constexpr double kPi = 3.14159265358979;
constexpr double kRate = kSampleRate;

using Buffer = std::vector<float>;

Buffer silence(double seconds) { return Buffer(static_cast<size_t>(seconds * kRate), 0.0f); }

// A deterministic white-noise source.
struct Noise {
    uint32_t state = 22222;
    float next() {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>((state >> 8) / 8388608.0 - 1.0);
    }
};

enum class Wave { Sine, Square, Saw, Triangle };

double oscillator(Wave wave, double phase, double duty = 0.5) {
    const double p = phase - std::floor(phase);
    switch (wave) {
    case Wave::Sine: return std::sin(2 * kPi * p);
    case Wave::Square: return p < duty ? 1.0 : -1.0;
    case Wave::Saw: return 2 * p - 1;
    case Wave::Triangle: return p < 0.5 ? 4 * p - 1 : 3 - 4 * p;
    }
    return 0;
}

// A tone whose pitch glides exponentially from f0 to f1 and whose loudness falls off
// with the given decay time, added into `out` from sample `at`.
void sweep(Buffer& out, size_t at, double seconds, Wave wave, double f0, double f1, double volume, double decay,
           double duty = 0.5) {
    double phase = 0;
    const size_t n = static_cast<size_t>(seconds * kRate);
    for (size_t i = 0; i < n && at + i < out.size(); ++i) {
        const double t = i / kRate;
        const double f = f0 * std::pow(f1 / f0, t / seconds);
        phase += f / kRate;
        const double attack = std::min(1.0, t / 0.004);
        const double release = std::min(1.0, (seconds - t) / 0.01);
        out[at + i] += static_cast<float>(oscillator(wave, phase, duty) * volume * attack * release * std::exp(-t / decay));
    }
}

// Noise through a one-pole low-pass whose cutoff glides from c0 to c1 (0..1 per sample).
void noiseBurst(Buffer& out, size_t at, double seconds, double volume, double decay, double c0, double c1,
                uint32_t seed = 1) {
    Noise noise;
    noise.state = seed;
    double low = 0;
    const size_t n = static_cast<size_t>(seconds * kRate);
    for (size_t i = 0; i < n && at + i < out.size(); ++i) {
        const double t = i / kRate;
        const double cutoff = c0 + (c1 - c0) * t / seconds;
        low += cutoff * (noise.next() - low);
        const double release = std::min(1.0, (seconds - t) / 0.01);
        out[at + i] += static_cast<float>(low * volume * release * std::exp(-t / decay));
    }
}

std::vector<int16_t> toSamples(const Buffer& in, double gain = 1.0) {
    float peak = 0.0001f;
    for (float v : in) peak = std::max(peak, std::fabs(v));
    const double scale = gain * 0.89 / peak;
    std::vector<int16_t> out(in.size());
    for (size_t i = 0; i < in.size(); ++i)
        out[i] = static_cast<int16_t>(std::lround(std::clamp(in[i] * scale, -1.0, 1.0) * 32767));
    return out;
}

// --- Effects ---

std::vector<int16_t> shot() {
    Buffer b = silence(0.16);
    sweep(b, 0, 0.16, Wave::Square, 1500, 260, 0.6, 0.07, 0.3);
    sweep(b, 0, 0.12, Wave::Saw, 2200, 500, 0.25, 0.04);
    noiseBurst(b, 0, 0.03, 0.5, 0.01, 0.9, 0.5);
    return toSamples(b, 0.8);
}

std::vector<int16_t> hit() {
    Buffer b = silence(0.3);
    sweep(b, 0, 0.3, Wave::Sine, 190, 55, 1.0, 0.12);
    sweep(b, 0, 0.12, Wave::Square, 330, 120, 0.3, 0.05, 0.4);
    noiseBurst(b, 0, 0.2, 0.9, 0.06, 0.5, 0.1, 7);
    return toSamples(b, 0.85);
}

double noteFrequency(int semitonesFromA4) { return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0); }

std::vector<int16_t> win() {
    Buffer b = silence(1.6);
    const int arpeggio[] = {3, 7, 10, 15};  // C5 E5 G5 C6
    for (int i = 0; i < 4; ++i) {
        sweep(b, static_cast<size_t>(i * 0.11 * kRate), 0.14, Wave::Square, noteFrequency(arpeggio[i]),
              noteFrequency(arpeggio[i]), 0.35, 0.2, 0.25);
    }
    for (int chord : {3, 7, 10, 15}) {
        const size_t at = static_cast<size_t>(0.46 * kRate);
        const double f = noteFrequency(chord);
        double phase = 0;
        for (size_t i = 0; at + i < b.size(); ++i) {
            const double t = i / kRate;
            phase += f * (1 + 0.004 * std::sin(2 * kPi * 5.5 * t)) / kRate;
            const double env = std::min(1.0, t / 0.02) * std::exp(-t / 0.7) * std::min(1.0, (1.14 - t) / 0.1);
            if (t > 1.14) break;
            b[at + i] += static_cast<float>(oscillator(Wave::Square, phase, 0.35) * 0.18 * env);
        }
    }
    sweep(b, static_cast<size_t>(0.46 * kRate), 1.1, Wave::Triangle, noteFrequency(-9), noteFrequency(-9), 0.5, 0.6);
    return toSamples(b, 0.8);
}

std::vector<int16_t> lost() {
    Buffer b = silence(1.8);
    const int fall[] = {-2, -3, -4, -5};  // G4 F#4 F4 E4
    for (int i = 0; i < 4; ++i) {
        const double len = i == 3 ? 0.9 : 0.28;
        sweep(b, static_cast<size_t>(i * 0.3 * kRate), len, Wave::Saw, noteFrequency(fall[i]),
              noteFrequency(fall[i]) * (i == 3 ? 0.94 : 1.0), 0.3, i == 3 ? 0.5 : 0.25);
        sweep(b, static_cast<size_t>(i * 0.3 * kRate), len, Wave::Triangle, noteFrequency(fall[i] - 12),
              noteFrequency(fall[i] - 12) * (i == 3 ? 0.94 : 1.0), 0.5, 0.4);
    }
    return toSamples(b, 0.8);
}

std::vector<int16_t> powerUp() {
    Buffer b = silence(0.55);
    double phase = 0;
    for (size_t i = 0; i < b.size(); ++i) {
        const double t = i / kRate;
        const double f = 220 * std::pow(5.0, t / 0.55);
        phase += f / kRate;
        const double tremolo = 0.6 + 0.4 * std::sin(2 * kPi * 24 * t);
        b[i] += static_cast<float>(oscillator(Wave::Triangle, phase) * tremolo * std::min(1.0, (0.55 - t) / 0.05) * 0.7);
    }
    return toSamples(b, 0.6);
}

std::vector<int16_t> explosion() {
    Buffer b = silence(0.8);
    noiseBurst(b, 0, 0.8, 1.0, 0.22, 0.6, 0.04, 99);
    sweep(b, 0, 0.5, Wave::Sine, 110, 35, 0.9, 0.18);
    noiseBurst(b, static_cast<size_t>(0.05 * kRate), 0.4, 0.4, 0.1, 0.3, 0.05, 123);
    return toSamples(b, 0.9);
}

std::vector<int16_t> zap() {
    Buffer b = silence(0.12);
    sweep(b, 0, 0.12, Wave::Saw, 980, 240, 0.5, 0.05);
    sweep(b, 0, 0.12, Wave::Square, 1200, 400, 0.2, 0.04, 0.2);
    return toSamples(b, 0.5);
}

std::vector<int16_t> whoosh() {
    Buffer b = silence(0.5);
    Noise noise;
    double low = 0, band = 0;
    for (size_t i = 0; i < b.size(); ++i) {
        const double t = i / kRate;
        const double cutoff = 0.05 + 0.4 * t / 0.5;
        low += cutoff * (noise.next() - low);
        band += 0.3 * (low - band);
        const double env = std::min(1.0, t / 0.05) * std::exp(-t / 0.3);
        b[i] += static_cast<float>((low - band) * env);
    }
    sweep(b, 0, 0.35, Wave::Saw, 300, 700, 0.08, 0.2);
    return toSamples(b, 0.6);
}

std::vector<int16_t> thump() {
    Buffer b = silence(0.35);
    sweep(b, 0, 0.35, Wave::Sine, 130, 40, 1.0, 0.12);
    noiseBurst(b, 0, 0.15, 0.5, 0.04, 0.4, 0.1, 31);
    return toSamples(b, 0.7);
}

std::vector<int16_t> pop() {
    Buffer b = silence(0.08);
    sweep(b, 0, 0.08, Wave::Square, 900, 1600, 0.4, 0.03, 0.5);
    noiseBurst(b, 0, 0.05, 0.4, 0.02, 0.8, 0.4, 5);
    return toSamples(b, 0.5);
}

// --- Music ---

// A tune is one string per voice: space-separated steps, each a note ("C4", "F#3", "Bb2"),
// "." to hold the previous note or "-" for silence. Drum voices use k (kick), s (snare),
// h (hat) and "-".
struct Voice {
    enum Kind { Lead, Bass, Arp, Drums } kind;
    const char* steps;
    double volume;
};

int parseNote(const std::string& token) {
    // Semitones from A4 of each letter in octave 4.
    int semis = 0;
    switch (token[0]) {
    case 'C': semis = -9; break;
    case 'D': semis = -7; break;
    case 'E': semis = -5; break;
    case 'F': semis = -4; break;
    case 'G': semis = -2; break;
    case 'A': semis = 0; break;
    case 'B': semis = 2; break;
    }
    size_t i = 1;
    if (i < token.size() && token[i] == '#') ++semis, ++i;
    else if (i < token.size() && token[i] == 'b') --semis, ++i;
    const int octave = i < token.size() ? token[i] - '0' : 4;
    return semis + (octave - 4) * 12;
}

std::vector<std::string> splitSteps(const char* steps) {
    std::vector<std::string> out;
    std::string token;
    for (const char* p = steps;; ++p) {
        if (*p == ' ' || *p == '\n' || *p == 0) {
            if (!token.empty()) out.push_back(token);
            token.clear();
            if (*p == 0) break;
        } else {
            token += *p;
        }
    }
    return out;
}

void drum(Buffer& out, size_t at, char kind, double volume, uint32_t seed) {
    switch (kind) {
    case 'k': sweep(out, at, 0.16, Wave::Sine, 150, 42, volume, 0.07); break;
    case 's':
        noiseBurst(out, at, 0.16, volume * 0.9, 0.05, 0.7, 0.4, seed);
        sweep(out, at, 0.08, Wave::Triangle, 200, 160, volume * 0.4, 0.04);
        break;
    case 'h': {
        // A hat: noise minus its low-passed self leaves the hiss.
        Noise noise;
        noise.state = seed;
        double low = 0;
        const size_t n = static_cast<size_t>(0.045 * kRate);
        for (size_t i = 0; i < n && at + i < out.size(); ++i) {
            const float v = noise.next();
            low += 0.2 * (v - low);
            out[at + i] += static_cast<float>((v - low) * volume * 0.5 * std::exp(-(i / kRate) / 0.015));
        }
        break;
    }
    default: break;
    }
}

Buffer renderTune(double bpm, int repeats, std::initializer_list<Voice> voices) {
    const double stepSeconds = 60.0 / bpm / 2;  // eighth notes
    size_t steps = 0;
    for (const Voice& v : voices) steps = std::max(steps, splitSteps(v.steps).size());
    Buffer out = silence(stepSeconds * steps * repeats);
    uint32_t seed = 1;
    for (const Voice& v : voices) {
        const std::vector<std::string> tokens = splitSteps(v.steps);
        for (int r = 0; r < repeats; ++r)
            for (size_t i = 0; i < tokens.size(); ++i) {
                const size_t at = static_cast<size_t>((r * tokens.size() + i) * stepSeconds * kRate);
                const std::string& tok = tokens[i];
                if (v.kind == Voice::Drums) {
                    drum(out, at, tok[0], v.volume, seed++);
                    continue;
                }
                if (tok == "." || tok == "-") continue;
                size_t held = 1;
                while (i + held < tokens.size() && tokens[i + held] == ".") ++held;
                const double seconds = held * stepSeconds * (v.kind == Voice::Arp ? 0.5 : 0.92);
                const double f = noteFrequency(parseNote(tok));
                switch (v.kind) {
                case Voice::Lead: {
                    double phase = 0;
                    const size_t n = static_cast<size_t>(seconds * kRate);
                    for (size_t k = 0; k < n && at + k < out.size(); ++k) {
                        const double t = k / kRate;
                        const double vibrato = t > 0.15 ? 0.006 * std::sin(2 * kPi * 5 * t) : 0;
                        phase += f * (1 + vibrato) / kRate;
                        const double env = std::min(1.0, t / 0.008) * (0.65 + 0.35 * std::exp(-t / 0.08)) *
                                           std::min(1.0, (seconds - t) / 0.02);
                        out[at + k] += static_cast<float>((oscillator(Wave::Square, phase, 0.25) * 0.7 +
                                                           oscillator(Wave::Triangle, phase * 2) * 0.3) * v.volume * env);
                    }
                    break;
                }
                case Voice::Bass: sweep(out, at, seconds, Wave::Triangle, f, f, v.volume, 0.6); break;
                case Voice::Arp: sweep(out, at, seconds, Wave::Square, f, f, v.volume, 0.12, 0.5); break;
                default: break;
                }
            }
    }
    return out;
}

// Title and story: a calm theme in A minor.
std::vector<int16_t> storyTheme() {
    return toSamples(renderTune(92, 1, {
        {Voice::Arp, "A4 C5 E5 C5 A4 C5 E5 C5  F4 A4 C5 A4 F4 A4 C5 A4  C5 E5 G5 E5 C5 E5 G5 E5  G4 B4 D5 B4 G4 B4 D5 B4"
                     "  A4 C5 E5 C5 A4 C5 E5 C5  F4 A4 C5 A4 F4 A4 C5 A4  D4 F4 A4 F4 D4 F4 A4 F4  E4 G#4 B4 G#4 E4 G#4 B4 G#4", 0.12},
        {Voice::Bass, "A2 . . . . . . .  F2 . . . . . . .  C3 . . . . . . .  G2 . . . . . . ."
                      "  A2 . . . . . . .  F2 . . . . . . .  D2 . . . . . . .  E2 . . . . . . .", 0.5},
        {Voice::Lead, "- - - - - - - -  - - - - - - - -  - - - - - - - -  - - - - - - - -"
                      "  E5 . . D5 C5 . B4 .  A4 . . . C5 . . .  D5 . F5 . E5 . D5 .  B4 . . . G#4 . . .", 0.22},
    }));
}

// Shooting stage 1: a bright, driving tune in C.
std::vector<int16_t> coastTheme() {
    return toSamples(renderTune(144, 1, {
        {Voice::Drums, "k h s h k h s h  k h s h k k s h  k h s h k h s h  k h s h k s s s"
                       "  k h s h k h s h  k h s h k k s h  k h s h k h s h  k h s h s s s s", 0.45},
        {Voice::Bass, "C3 C3 C4 C3 C3 C3 C4 C3  A2 A2 A3 A2 A2 A2 A3 A2  F2 F2 F3 F2 F2 F2 F3 F2  G2 G2 G3 G2 G2 G2 G3 G2"
                      "  C3 C3 C4 C3 C3 C3 C4 C3  A2 A2 A3 A2 A2 A2 A3 A2  F2 F2 F3 F2 G2 G2 G3 G2  C3 C3 G2 G2 C3 . . .", 0.55},
        {Voice::Lead, "E5 . G5 . C6 . B5 A5  G5 . E5 . C5 . D5 E5  F5 . A5 . C6 . A5 F5  G5 . . . D5 . . ."
                      "  E5 . G5 . C6 . D6 E6  D6 . C6 . A5 . G5 .  A5 . F5 . B5 . G5 .  C6 . . . . . - -", 0.26},
        {Voice::Arp, "C5 E5 G5 E5 C5 E5 G5 E5  A4 C5 E5 C5 A4 C5 E5 C5  F4 A4 C5 A4 F4 A4 C5 A4  G4 B4 D5 B4 G4 B4 D5 B4"
                     "  C5 E5 G5 E5 C5 E5 G5 E5  A4 C5 E5 C5 A4 C5 E5 C5  F4 A4 C5 A4 G4 B4 D5 B4  C5 G4 E4 G4 C5 . . .", 0.07},
    }));
}

// Shooting stage 2: tense, in D minor.
std::vector<int16_t> canyonTheme() {
    return toSamples(renderTune(132, 2, {
        {Voice::Drums, "k - h k s - h -  k - h k s - h h  k - h k s - h -  k k h k s s s s", 0.45},
        {Voice::Bass, "D2 D2 D3 D2 D2 D3 D2 C3  Bb1 Bb1 Bb2 Bb1 Bb1 Bb2 Bb1 A1  G1 G1 G2 G1 G1 G2 G1 A1  A1 A1 A2 A1 C#2 C#2 E2 C#2", 0.6},
        {Voice::Lead, "D5 . . F5 E5 . D5 .  C5 . . . A4 . . .  Bb4 . . D5 C5 . Bb4 .  A4 . C#5 . E5 . A5 .", 0.24},
        {Voice::Arp, "D4 F4 A4 D5 A4 F4 D4 F4  Bb3 D4 F4 Bb4 F4 D4 Bb3 D4  G3 Bb3 D4 G4 D4 Bb3 G3 Bb3  A3 C#4 E4 A4 E4 C#4 A3 C#4", 0.07},
    }));
}

// Battle stage 1: a march in E minor.
std::vector<int16_t> marchTheme() {
    return toSamples(renderTune(112, 2, {
        {Voice::Drums, "k - s - k k s -  k - s - k k s s  k - s - k k s -  k s s k s s s s", 0.5},
        {Voice::Bass, "E2 . E2 . B1 . E2 .  C2 . C2 . G1 . C2 .  D2 . D2 . A1 . D2 .  B1 . B1 . F#2 . B1 .", 0.6},
        {Voice::Lead, "E4 . G4 . B4 . . A4  G4 . E4 . C5 . . .  D5 . C5 B4 A4 . F#4 .  B4 . . . . . - -", 0.24},
        {Voice::Arp, "B4 - B4 - B4 - B4 -  C5 - C5 - C5 - C5 -  A4 - A4 - A4 - A4 -  F#4 - F#4 - F#4 - F#4 -", 0.06},
    }));
}

// Battle stage 2: dark and heavy, in C minor.
std::vector<int16_t> depotTheme() {
    return toSamples(renderTune(120, 2, {
        {Voice::Drums, "k - h - s - h k  k - h - s - h -  k - h - s - h k  k k h - s s s s", 0.5},
        {Voice::Bass, "C2 C2 - C2 Eb2 - C2 G1  Ab1 Ab1 - Ab1 C2 - Ab1 Eb1  F1 F1 - F1 Ab1 - F1 C2  G1 G1 - G1 B1 - D2 B1", 0.65},
        {Voice::Lead, "G4 . . . Eb5 . D5 .  C5 . . . Ab4 . . .  F4 . Ab4 . C5 . Eb5 .  D5 . . . B4 . . .", 0.22},
        {Voice::Arp, "C4 Eb4 G4 C5 C4 Eb4 G4 C5  Ab3 C4 Eb4 Ab4 Ab3 C4 Eb4 Ab4  F3 Ab3 C4 F4 F3 Ab3 C4 F4  G3 B3 D4 G4 G3 B3 D4 G4", 0.06},
    }));
}

}  // namespace

const std::vector<SoundRecipe>& sounds() {
    static const std::vector<SoundRecipe> list = {
        {"shot00", shot},      {"mehit", hit},       {"win", win},         {"lost", lost},
        {"se1", powerUp},      {"se2", explosion},   {"se3", zap},         {"se4", whoosh},
        {"se5", thump},        {"se6", pop},
        {"level0", storyTheme}, {"level1", coastTheme}, {"level2", canyonTheme},
        {"level3", marchTheme}, {"level4", depotTheme},
    };
    return list;
}

namespace {
void putLE(std::FILE* f, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) std::fputc(static_cast<int>((value >> (8 * i)) & 0xFF), f);
}
}  // namespace

bool writeWavFile(const char* path, const std::vector<int16_t>& samples) {
    std::FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::fputs("RIFF", f);
    putLE(f, 36 + dataBytes, 4);
    std::fputs("WAVEfmt ", f);
    putLE(f, 16, 4);
    putLE(f, 1, 2);  // PCM
    putLE(f, 1, 2);  // mono
    putLE(f, kSampleRate, 4);
    putLE(f, kSampleRate * 2, 4);
    putLE(f, 2, 2);
    putLE(f, 16, 2);
    std::fputs("data", f);
    putLE(f, dataBytes, 4);
    for (int16_t v : samples) putLE(f, static_cast<uint16_t>(v), 2);
    const bool ok = std::ferror(f) == 0;
    return std::fclose(f) == 0 && ok;
}
