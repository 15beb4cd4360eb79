#include "adbanswers.h"

namespace {
// adb serials are printable words ("KZ0012345", "emulator-5554",
// "192.168.1.5:5555"); a line with anything else before its tab is no device.
bool isSerial(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c.unicode() <= 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return true;
}
} // namespace

namespace AdbAnswers {

const QString kDeviceListHeader = QStringLiteral("List of devices attached\r\n");

QString withCrLf(const QString &text)
{
    QString result;
    result.reserve(text.size() + 8);
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('\n') && (i == 0 || text.at(i - 1) != QLatin1Char('\r')))
            result += QLatin1Char('\r');
        result += text.at(i);
    }
    return result;
}

QString chunkText(const QByteArray &bytes)
{
    const int nul = bytes.indexOf('\0');
    return withCrLf(QString::fromLatin1(bytes.constData(), nul < 0 ? bytes.size() : nul));
}

DeviceList readDeviceList(const QString &text)
{
    DeviceList list;
    const int header = text.indexOf(kDeviceListHeader);
    if (header < 0)
        return list;
    list.found = true;
    int at = header + kDeviceListHeader.size();
    const QString lineEnd = QStringLiteral("\r\n");
    while (at < text.size()) {
        const int end = text.indexOf(lineEnd, at);
        if (end < 0)
            break;   // a line still being written
        const QString line = text.mid(at, end - at);
        at = end + lineEnd.size();
        if (line.isEmpty()) {
            list.complete = true;
            break;
        }
        const int tab = line.indexOf(QLatin1Char('\t'));
        if (tab <= 0 || !isSerial(line.left(tab))) {
            list.notReady << line;
            continue;
        }
        // "adb devices -l" would add blank-separated details after the state.
        const QString state = line.mid(tab + 1).section(QLatin1Char(' '), 0, 0);
        if (state == QLatin1String("device"))
            list.ready << line.left(tab);
        else
            list.notReady << line;
    }
    return list;
}

ChunkVerdict judgeQueryChunk(const QString &chunk, const QString &lastSerial)
{
    ChunkVerdict verdict;
    if (chunk.contains(QLatin1String("offline")) || chunk.contains(QLatin1String("connecting"))) {
        verdict.kind = ChunkVerdict::DeviceTrouble;
        return verdict;
    }
    const DeviceList list = readDeviceList(chunk);
    if (!list.found) {
        if (chunk == QLatin1String("\r\n"))
            verdict.kind = ChunkVerdict::MapPorts;
        return verdict;
    }
    if (!list.complete)
        return verdict;
    verdict.notReady = list.notReady;
    if (list.ready.isEmpty()) {
        verdict.kind = ChunkVerdict::NoDevice;
        return verdict;
    }
    verdict.kind = ChunkVerdict::Device;
    verdict.serial = list.ready.contains(lastSerial) ? lastSerial : list.ready.first();
    return verdict;
}

Mappings mappingsIn(const QString &text)
{
    Mappings found;
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    for (const QString &line : lines) {
        const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.size() != 3 || fields.at(1) != fields.at(2))
            continue;
        const QString &port = fields.at(1);
        if (port == QLatin1String("tcp:9943"))
            found.forward9943 = true;
        else if (port == QLatin1String("tcp:9944"))
            found.forward9944 = true;
        else if (port == QLatin1String("tcp:50000"))
            found.reverse50000 = true;
        else if (port == QLatin1String("tcp:50001"))
            found.reverse50001 = true;
    }
    return found;
}

} // namespace AdbAnswers
