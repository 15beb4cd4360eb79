#include "platform/audio.h"

#include "platform/command.h"
#include "text_file.h"

#include <cstdlib>
#include <sstream>

namespace platform {
namespace {

std::string valueAfter(const std::string& line, const std::string& key)
{
    const std::string t = posix::trim(line);
    if (t.rfind(key, 0) != 0)
        return {};
    return posix::trim(t.substr(key.size()));
}

} // namespace

std::optional<AudioOutput> parsePulseDefaultSink(const std::string& info, const std::string& sinks)
{
    std::string defaultSink;
    std::istringstream infoIn(info);
    for (std::string line; std::getline(infoIn, line);) {
        const std::string v = valueAfter(line, "Default Sink:");
        if (!v.empty())
            defaultSink = v;
    }
    if (defaultSink.empty())
        return std::nullopt;

    std::istringstream sinksIn(sinks);
    bool inDefault = false;
    AudioOutput found;
    for (std::string line; std::getline(sinksIn, line);) {
        if (line.rfind("Sink #", 0) == 0) {
            if (inDefault)
                break;
            continue;
        }
        std::string v = valueAfter(line, "Name:");
        if (!v.empty() && line.find("Name:") <= 2) {
            inDefault = v == defaultSink;
            continue;
        }
        if (!inDefault)
            continue;
        v = valueAfter(line, "Description:");
        if (!v.empty())
            found.name = v;
        v = valueAfter(line, "Sample Specification:");
        if (!v.empty()) {
            // "s16le 2ch 44100Hz"
            const auto ch = v.find("ch");
            const auto space = v.rfind(' ', ch);
            if (ch != std::string::npos && space != std::string::npos)
                found.channels = std::atoi(v.substr(space + 1, ch - space - 1).c_str());
        }
    }
    if (!inDefault || found.channels <= 0)
        return std::nullopt;
    return found;
}

int audioOutputCount()
{
    const CommandResult sinks = runCommand("LC_ALL=C pactl list short sinks 2>/dev/null");
    if (!sinks.started || sinks.exitCode != 0)
        return 0;
    int count = 0;
    for (char c : sinks.output)
        count += c == '\n';
    return count;
}

std::optional<AudioOutput> firstAudioOutput()
{
    // PulseAudio and PipeWire both answer pactl; a system without a sound server has no
    // output that could be queried.
    const CommandResult info = runCommand("LC_ALL=C pactl info 2>/dev/null");
    if (!info.started || info.exitCode != 0)
        return std::nullopt;
    const CommandResult sinks = runCommand("LC_ALL=C pactl list sinks 2>/dev/null");
    if (!sinks.started || sinks.exitCode != 0)
        return std::nullopt;
    return parsePulseDefaultSink(info.output, sinks.output);
}

} // namespace platform
