#include "platform/audio.h"

#include "win32_text.h"

#include <windows.h>
#include <mmsystem.h>

namespace platform {

int audioOutputCount()
{
    return static_cast<int>(waveOutGetNumDevs());
}

std::optional<AudioOutput> firstAudioOutput()
{
    if (waveOutGetNumDevs() < 1)
        return std::nullopt;
    WAVEOUTCAPSW caps{};
    if (waveOutGetDevCapsW(0, &caps, sizeof caps) != MMSYSERR_NOERROR)
        return std::nullopt;
    AudioOutput out;
    out.channels = caps.wChannels;
    out.name = win32::narrowField(caps.szPname);
    return out;
}

std::optional<AudioOutput> parsePulseDefaultSink(const std::string &, const std::string &)
{
    return std::nullopt;
}

} // namespace platform
