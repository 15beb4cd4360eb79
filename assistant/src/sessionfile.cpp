#include "sessionfile.h"
#include "jsonfile.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>

using JsonFile::takeObject;
using JsonFile::takeObjectOrNew;

namespace {

const QString kCableInput = QStringLiteral("CABLE Input (VB-Audio Virtual Cable)");
const QString kCableOutput = QStringLiteral("CABLE Output (VB-Audio Virtual Cable)");

// Sets "name" in the device object `key` of `content` (created when missing).
void setName(QJsonObject &content, const QString &key, const QString &name)
{
    QJsonObject device;
    if (!takeObjectOrNew(content, key, device))
        return;
    device.insert(QStringLiteral("name"), name);
    content.insert(key, device);
}

void setFrameRate(QJsonObject &root, QJsonObject &sessionSettings, int frameRate)
{
    QJsonObject video;
    if (!takeObject(sessionSettings, QStringLiteral("video"), video))
        return;
    video.insert(QStringLiteral("preferredFps"), frameRate);
    QJsonObject openvrConfig;
    if (takeObject(root, QStringLiteral("openvr_config"), openvrConfig)) {
        openvrConfig.insert(QStringLiteral("refresh_rate"), frameRate);
        root.insert(QStringLiteral("openvr_config"), openvrConfig);
    }
    sessionSettings.insert(QStringLiteral("video"), video);
}

void setMicrophone(QJsonObject &sessionSettings, bool on, bool nameCable)
{
    QJsonObject audio;
    QJsonObject microphone;
    if (!takeObject(sessionSettings, QStringLiteral("audio"), audio)
        || !takeObject(audio, QStringLiteral("microphone"), microphone))
        return;
    microphone.insert(QStringLiteral("enabled"), on);
    QJsonObject content;
    if (on && nameCable && takeObjectOrNew(microphone, QStringLiteral("content"), content)) {
        setName(content, QStringLiteral("inputDeviceId"), kCableInput);
        setName(content, QStringLiteral("outputDeviceId"), kCableOutput);
        microphone.insert(QStringLiteral("content"), content);
    }
    audio.insert(QStringLiteral("microphone"), microphone);
    sessionSettings.insert(QStringLiteral("audio"), audio);
}

} // namespace

bool SessionFile::readRoot(const char *parseErrorLine, QJsonObject &root) const
{
    const JsonFile::Contents contents = JsonFile::read(m_path);
    switch (contents.status) {
    case JsonFile::Status::Missing:
        return false;
    case JsonFile::Status::Unreadable:
        qWarning().noquote() << QStringLiteral("session json cannot be read: ") + m_path;
        return false;
    case JsonFile::Status::ParseError:
        qInfo().noquote() << parseErrorLine;
        QFile::remove(m_path);
        return false;
    case JsonFile::Status::NotObject:
        // Not ours to replace: the streamer may know what it holds.
        qWarning().noquote() << QStringLiteral("session json root is not an object, left unchanged");
        return false;
    case JsonFile::Status::Ok:
        break;
    }
    root = contents.root;
    return true;
}

void SessionFile::writeRoot(const QJsonObject &root) const
{
    QString error;
    if (JsonFile::write(m_path, root, &error) != AtomicWriteResult::Written)
        qWarning().noquote() << QStringLiteral("session json write failed: ") + m_path + QStringLiteral(" ") + error;
}

void SessionFile::applyQuality(int frameRate, bool microphone, bool cableInstalled)
{
    if (!QFile::exists(m_path)) {
        qInfo().noquote() << QStringLiteral("no session json: ") + m_path;
        return;
    }
    QJsonObject root;
    if (!readRoot("set session json parseError", root))
        return;
    // Members are edited only where they are objects: a member of another
    // type is the streamer's own and stays as it is.
    QJsonObject sessionSettings;
    if (takeObject(root, QStringLiteral("sessionSettings"), sessionSettings)) {
        setFrameRate(root, sessionSettings, frameRate);
        setMicrophone(sessionSettings, microphone, cableInstalled);
        root.insert(QStringLiteral("sessionSettings"), sessionSettings);
    }
    writeRoot(root);
}

void SessionFile::tidy(const QString &serial)
{
    if (!QFile::exists(m_path))
        return;
    qInfo().noquote() << QStringLiteral("session path:") + QFileInfo(m_path).absoluteFilePath()
            + QStringLiteral("; sn: ") + serial;
    QJsonObject root;
    if (!readRoot("before session json parseError", root))
        return;
    QJsonObject sessionSettings;
    const QJsonValue clients = root.value(QStringLiteral("clientConnections"));
    if (clients.isObject() && !clients.toObject().isEmpty()) {
        // Forget the remembered clients; the serial follows at the next exit.
        root.insert(QStringLiteral("clientConnections"), QJsonObject());
    } else if (takeObject(root, QStringLiteral("sessionSettings"), sessionSettings)) {
        QJsonObject headset;
        if (takeObject(sessionSettings, QStringLiteral("headset"), headset)) {
            headset.insert(QStringLiteral("serialNumber"), serial);
            sessionSettings.insert(QStringLiteral("headset"), headset);
        }
        root.insert(QStringLiteral("sessionSettings"), sessionSettings);
    } else {
        return;
    }
    writeRoot(root);
}
