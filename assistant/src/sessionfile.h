#pragma once

#include <QJsonObject>
#include <QString>

// The streamer's session file, which the streamer creates and owns: the
// assistant edits the frame rate, the microphone, the remembered clients and
// the headset's serial in it and leaves every other member as it was. The
// file is never created here; a damaged one is deleted (the streamer writes
// a fresh one).
class SessionFile {
public:
    explicit SessionFile(const QString &path) : m_path(path) {}

    // Frame rate and microphone; the virtual cable's devices are named when
    // the microphone is on and `cableInstalled`.
    void applyQuality(int frameRate, bool microphone, bool cableInstalled);
    // At exit: forgets the remembered clients or, when there are none,
    // writes the headset's serial.
    void tidy(const QString &serial);
    QString path() const { return m_path; }

private:
    // The file's root object, or false after logging why there is none to edit.
    bool readRoot(const char *parseErrorLine, QJsonObject &root) const;
    void writeRoot(const QJsonObject &root) const;

    QString m_path;
};
