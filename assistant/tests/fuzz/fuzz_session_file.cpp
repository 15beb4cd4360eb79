// libFuzzer target of the streamer's session file: SettingsStore::applyEffects
// with quality values taken from the first two bytes, then tidySessionFile, on
// "./session.json" holding the rest. A file that is not JSON is removed, one
// whose root is not an object is left as it was, and in every other file only
// the members the assistant owns change: everything else the streamer wrote,
// including values that are not objects where objects were expected, stays.
#include "fuzz_support.h"
#include "settingsstore.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <cstddef>
#include <cstdint>

namespace {

// Paths (joined by "/") whose values the edits may set; nothing else may
// change or go missing.
const QSet<QString> kApplyLeaves { "openvr_config/refresh_rate", "sessionSettings/video/preferredFps",
                                   "sessionSettings/audio/microphone/enabled",
                                   "sessionSettings/audio/microphone/content/inputDeviceId/name",
                                   "sessionSettings/audio/microphone/content/outputDeviceId/name" };
const QSet<QString> kTidyLeaves { "clientConnections", "sessionSettings/headset/serialNumber" };

bool kept(const QJsonValue &before, const QJsonValue &after, const QString &path, const QSet<QString> &leaves)
{
    if (!before.isObject())
        return fuzz::sameJson(before, after);
    if (!after.isObject())
        return false;
    const QMap<QString, QJsonValue> old = fuzz::members(before.toObject());
    const QMap<QString, QJsonValue> now = fuzz::members(after.toObject());
    for (auto it = old.begin(); it != old.end(); ++it) {
        const QString child = path.isEmpty() ? it.key() : path + "/" + it.key();
        if (!now.contains(it.key()))
            return false;
        if (!leaves.contains(child) && !kept(it.value(), now.value(it.key()), child, leaves))
            return false;
    }
    return true;
}

// Checks the session file after one edit against the bytes before it.
void checkEdit(const QByteArray &before, const QSet<QString> &leaves)
{
    bool exists = false;
    const QByteArray after = fuzz::readWhole("session.json", &exists);
    QJsonParseError error {};
    const QJsonDocument old = QJsonDocument::fromJson(before, &error);
    if (error.error != QJsonParseError::NoError) {
        fuzz::check(!exists, "a session file that is not JSON is removed");
        return;
    }
    if (!old.isObject()) {
        fuzz::check(exists && after == before, "a session file whose root is no object is left alone");
        return;
    }
    fuzz::check(exists, "an edited session file is still there");
    const QJsonDocument now = QJsonDocument::fromJson(after, &error);
    fuzz::check(error.error == QJsonParseError::NoError && now.isObject(), "an edited session file is a JSON object");
    fuzz::check(kept(old.object(), now.object(), QString(), leaves), "only the assistant's members change");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const QString folder = fuzz::scratchFolder(true);
    const uint8_t values = data[0];
    const uint8_t flags = data[1];
    const QByteArray session(reinterpret_cast<const char *>(data + 2), static_cast<int>(size - 2));
    fuzz::writeWhole("session.json", session);

    SettingsStore store(folder + "/user");
    store.load(false, 3);
    const bool cable = flags & 0x40;
    store.setVbCableCheck([cable] { return cable; });
    store.setDeviceSn((flags & 0x80) ? QStringLiteral("KZ0001") : QStringLiteral("KY0001"));
    // Definition and encode indexes beyond the known ones are tried too.
    store.applyEffects(values & 0x07, flags & 0x01, (values >> 3) & 0x07, flags & 0x02, flags & 0x04, flags & 0x08,
                       flags & 0x10, flags & 0x20);
    checkEdit(session, kApplyLeaves);

    const QByteArray edited = fuzz::readWhole("session.json");
    store.tidySessionFile();
    if (QFile::exists("session.json"))
        checkEdit(edited, kTidyLeaves);
    QFile::remove("session.json");
    return 0;
}
