#pragma once

#include <QString>
#include <QStringList>

// Reading what adb prints for the device query ("adb devices && adb forward
// --list") and the mapping list ("adb forward --list && adb reverse --list").
// Qt Core only, so the fuzz target feeds it the same way AdbManger does.
namespace AdbAnswers {

// The first line of "adb devices", in the Windows form the answers are judged in.
extern const QString kDeviceListHeader;

// Windows' adb ends lines with CR LF, others with a bare LF. The answers are
// judged in the Windows form, so a bare LF becomes CR LF first.
QString withCrLf(const QString &text);

// Text of one chunk of standard output: Latin-1 up to the first NUL byte,
// line ends in the Windows form.
QString chunkText(const QByteArray &bytes);

// What one chunk of the device query's output means, judged on its own.
struct ChunkVerdict {
    enum Kind {
        Ignore,          // nothing to do (a mapping list, a stray line)
        DeviceTrouble,   // a device is offline or still connecting: restart adb
        NoDevice,        // no device is usable
        Device,          // a device in the "device" state: report `serial`
        MapPorts         // an empty line alone: map the ports
    };
    Kind kind = Ignore;
    QString serial;
    // Device lines of devices that are listed but not usable (for example
    // "unauthorized"), for the log.
    QStringList notReady;
};

// `lastSerial` is the serial reported last; among several usable devices it
// is kept, otherwise the first one listed is taken. A device list still
// waiting for its closing empty line is left for the rest of the answer.
ChunkVerdict judgeQueryChunk(const QString &chunk, const QString &lastSerial);

// The device list of "adb devices" inside `text`: the header line, one line
// "<serial>\t<state>" per device, an empty line.
struct DeviceList {
    bool found = false;      // the header is there
    bool complete = false;   // and the empty line that ends the list
    QStringList ready;       // serials in the "device" state, in listed order
    QStringList notReady;    // the lines of the other devices
};
DeviceList readDeviceList(const QString &text);

// Which of the four streaming mappings a mapping list shows.
struct Mappings {
    bool forward9943 = false;
    bool forward9944 = false;
    bool reverse50000 = false;
    bool reverse50001 = false;

    bool forwardsComplete() const { return forward9943 && forward9944; }
    bool complete() const { return forwardsComplete() && reverse50000 && reverse50001; }
};

// Forward lines read "<serial> tcp:9943 tcp:9943", reverse lines
// "<transport> tcp:50000 tcp:50000"; a forward and a reverse list look alike,
// so a line counts for the port it names.
Mappings mappingsIn(const QString &text);

} // namespace AdbAnswers
