#pragma once

#include <optional>
#include <string>

namespace platform {

struct AudioOutput {
    int channels = 0;
    std::string name;
};

// Number of audio output devices (Win32: waveOutGetNumDevs; Linux: sinks of the sound
// server, through pactl).
int audioOutputCount();
// The first output device (wave-out device 0 on Windows, the sound server's default
// sink on Linux); nullopt when none.
std::optional<AudioOutput> firstAudioOutput();
// The Linux reader on the output of "pactl info" and "pactl list sinks", for tests.
std::optional<AudioOutput> parsePulseDefaultSink(const std::string &info, const std::string &sinks);

} // namespace platform
