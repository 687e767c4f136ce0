// Wave files: what the header of a RIFF WAVE file says, whether the mixer can play it, and
// for how long. Shared by both back ends (a music file that cannot sound fails to open on
// either) and by the content checker.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

struct WaveInfo {
    bool isWave = false;  // starts with RIFF....WAVE
    bool hasFormat = false;
    bool hasData = false;
    uint16_t encoding = 0;  // the format tag; for WAVE_FORMAT_EXTENSIBLE, its sub-format's
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint32_t byteRate = 0;
    uint16_t bitsPerSample = 0;
    int64_t dataBytes = 0;  // of the data chunk, as far as the file holds them
};

// Reads the header chunks of the stream from its start, up to the data chunk. False when
// it is not a wave file with a format chunk and a data chunk.
bool readWaveInfo(std::FILE* file, WaveInfo& info);

// Why the mixer would play nothing. The music stream and the sound loader decode slightly
// different sets of encodings.
enum class WaveUse { Music, Sound };
enum class WaveProblem {
    None,
    NotWave,      // no RIFF WAVE header with a format and a data chunk
    Undecodable,  // an encoding, sample size, channel count or rate the mixer refuses
    NoSamples,    // not one whole sample in the data chunk
};
WaveProblem waveProblem(const WaveInfo& info, WaveUse use);

// Playing time in milliseconds, from the header's byte rate (or, without one, the rate and
// the sample size).
int64_t waveDurationMs(const WaveInfo& info);

// What waveProblem found, in words ("is not a WAV file with a format and a data chunk");
// empty for None.
std::string waveProblemText(const WaveInfo& info, WaveUse use);

// What keeps the sound file at `path` from playing, in the fewest words, for the running
// game's messages: the file (data_file.h), a foreign format ("is an Ogg file: sounds must be
// WAV"), or the wave itself. Empty when the file is a wave the mixer plays.
std::string soundFileProblemText(const char* path, WaveUse use);
