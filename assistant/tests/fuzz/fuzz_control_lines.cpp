// libFuzzer target of the control socket's line protocol: the bytes a client
// sends, cut into chunks as recv() could deliver them, through the line
// framing, the command split and the headset-list parser.
#include "controllines.h"
#include "ipcsock.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the chunk size (1..256), as receives of any size.
    const std::size_t chunk = static_cast<std::size_t>(data[0]) + 1;
    const char *bytes = reinterpret_cast<const char *>(data + 1);
    const std::size_t length = size - 1;

    std::string buffer;
    std::vector<std::string> lines;
    for (std::size_t offset = 0; offset < length; offset += chunk) {
        const std::size_t n = std::min(chunk, length - offset);
        const bool kept = IPCSock::takeLines(buffer, bytes + offset, n, lines);
        if (buffer.size() > IPCSock::kMaxPendingBytes || (!kept && !buffer.empty()))
            std::abort();
        if (buffer.find('\n') != std::string::npos)
            std::abort();
    }

    for (const std::string &line : lines) {
        if (line.find('\n') != std::string::npos || line.find('\0') != std::string::npos)
            std::abort();
        std::string command, argument;
        ControlLines::splitLine(line, command, argument);
        if (command.find('\t') != std::string::npos)
            std::abort();
        if (command.size() + argument.size() + (line.size() > command.size() ? 1 : 0) != line.size())
            std::abort();
        QString deviceId = QStringLiteral("unset");
        const QVector<HmdInfo> entries = ControlLines::parseHmdInfoList(argument, &deviceId);
        if (entries.size() > static_cast<int>(std::count(argument.begin(), argument.end(), '~')) + 1)
            std::abort();
        if (deviceId.isEmpty())   // an empty id never replaces the known one
            std::abort();
    }
    return 0;
}
