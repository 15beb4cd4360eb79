#pragma once

#include <optional>
#include <string>

namespace platform {

struct AudioOutput {
    int channels = 0;
    std::string name;
};

// Number of audio output devices.
int audioOutputCount();
// The first output device (wave-out device 0 on Windows); nullopt when none.
std::optional<AudioOutput> firstAudioOutput();

} // namespace platform
