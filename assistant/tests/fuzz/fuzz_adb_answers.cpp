// libFuzzer target of adb's answers: the device query's output cut into
// chunks as the pipe may deliver them, judged chunk by chunk the way AdbManger
// does (AdbAnswers::judgeQueryChunk, with the serial reported last carried
// along), then the whole answer with its mapping list. The first byte picks
// the chunk size.
#include "adbanswers.h"
#include "fuzz_support.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {
void checkVerdict(const AdbAnswers::ChunkVerdict &verdict, const QString &text)
{
    using AdbAnswers::ChunkVerdict;
    if (verdict.kind == ChunkVerdict::Device) {
        const QString &serial = verdict.serial;
        fuzz::check(!serial.isEmpty(), "a reported serial is not empty");
        fuzz::check(!serial.contains(QLatin1Char('\t')) && !serial.contains(QLatin1Char('\r'))
                        && !serial.contains(QLatin1Char('\n')),
                    "a reported serial is one field of one line");
        fuzz::check(text.contains(AdbAnswers::kDeviceListHeader + serial + QLatin1Char('\t'))
                        || text.contains(QStringLiteral("\r\n") + serial + QLatin1Char('\t')),
                    "a reported serial starts a device line");
        fuzz::check(AdbAnswers::readDeviceList(text).ready.contains(serial), "a reported serial is ready");
    } else {
        fuzz::check(verdict.serial.isEmpty(), "no serial without a device");
    }
    if (verdict.kind == ChunkVerdict::DeviceTrouble)
        fuzz::check(text.contains(QLatin1String("offline")) || text.contains(QLatin1String("connecting")),
                    "adb is only ended for a device in trouble");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const int chunk = data[0] + 1;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), static_cast<int>(size - 1));

    QString lastSerial = QStringLiteral("wired");
    QString whole;
    for (int offset = 0; offset < bytes.size(); offset += chunk) {
        const QString text = AdbAnswers::chunkText(bytes.mid(offset, chunk));
        fuzz::check(!text.contains(QChar(0)), "a chunk's text ends at its first NUL");
        whole += text;
        const AdbAnswers::ChunkVerdict verdict = AdbAnswers::judgeQueryChunk(text, lastSerial);
        checkVerdict(verdict, text);
        if (verdict.kind == AdbAnswers::ChunkVerdict::Device)
            lastSerial = verdict.serial;
        else if (verdict.kind == AdbAnswers::ChunkVerdict::NoDevice)
            lastSerial.clear();
    }
    const AdbAnswers::ChunkVerdict verdict = AdbAnswers::judgeQueryChunk(whole, lastSerial);
    checkVerdict(verdict, whole);
    const AdbAnswers::DeviceList list = AdbAnswers::readDeviceList(whole);
    fuzz::check(!list.complete || list.found, "a complete list has its header");
    if (verdict.kind == AdbAnswers::ChunkVerdict::Device && list.ready.contains(lastSerial))
        fuzz::check(verdict.serial == lastSerial, "a usable device reported before stays the one reported");
    const AdbAnswers::Mappings mappings = AdbAnswers::mappingsIn(whole);
    fuzz::check(!mappings.complete() || mappings.forwardsComplete(), "four mappings include both forwards");
    fuzz::check(!mappings.forward9943 || whole.count(QLatin1String("tcp:9943")) >= 2, "a forward is listed");
    return 0;
}
