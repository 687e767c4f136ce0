// Wave files: any bytes as a sound, read through the game's file reader with its limits,
// judged for music and for sounds, and opened on both sound channels of the headless
// platform. What the header says must fit the file: the data chunk holds no more bytes than
// the file does, and a playing time is never negative. Music that cannot sound never opens.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/data_file.h"
#include "platform/headless_platform.h"
#include "platform/wave.h"
#include "fuzz/game_folder.h"

namespace {

std::string path;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    path = makeFuzzFolder() + "/wav/sound.wav";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    writeText(path, std::string(reinterpret_cast<const char*>(data), size));
    std::FILE* file = openBinaryFile(path.c_str(), kSoundFileLimit);
    if (!file) std::abort();
    WaveInfo info;
    const bool wave = readWaveInfo(file, info);
    std::fclose(file);
    if (wave != (info.isWave && info.hasFormat && info.hasData)) std::abort();
    if (info.dataBytes < 0 || info.dataBytes > static_cast<int64_t>(size) || waveDurationMs(info) < 0) std::abort();
    const WaveProblem music = waveProblem(info, WaveUse::Music);
    waveProblem(info, WaveUse::Sound);
    HeadlessPlatform headless;
    if (headless.soundOpen(kMusicChannel, path.c_str()) != (music == WaveProblem::None)) std::abort();
    if (headless.soundOpen(kShotChannel, path.c_str())) {
        headless.soundPlay(kShotChannel);
        headless.sleepMs(16);
        headless.soundIsPlaying(kShotChannel);
    }
    return 0;
}
