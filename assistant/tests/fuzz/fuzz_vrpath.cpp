// libFuzzer target of SteamVR's "openvrpaths.vrpath": the registration of
// the streamer's driver folder and its removal (SettingsStore's
// setExternalDrivers, clearExternalDrivers and hasExternalDrivers) on the
// bytes given. A file that is no JSON object is never rewritten; in one that
// is, only "external_drivers" changes.
#include "fuzz_support.h"
#include "platform/paths.h"
#include "settingsstore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstddef>
#include <cstdint>

namespace {
const QString kDriverDir = QStringLiteral("D:/Program Files/OSTREL Streaming Assistant");

// The file's root object with "external_drivers" taken out; false when the
// bytes are not a JSON object.
bool withoutDrivers(const QByteArray &bytes, QJsonObject *root, QJsonValue *drivers = nullptr)
{
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    *root = document.object();
    if (drivers)
        *drivers = root->value("external_drivers");
    root->remove("external_drivers");
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString home = fuzz::scratchFolder();
    const QString path = QString::fromStdString(platform::openvrPathRegistryFile(home.toStdString()));
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray original(reinterpret_cast<const char *>(data), static_cast<int>(size));
    fuzz::writeWhole(path, original);

    SettingsStore store(home + "/user");
    QJsonObject before;
    const bool isObject = withoutDrivers(original, &before);
    QString runtime = QStringLiteral("unset");
    const bool set = store.setExternalDrivers(kDriverDir, home, runtime);
    fuzz::check(set == isObject, "the driver is registered exactly in a file that is a JSON object");
    if (!isObject) {
        fuzz::check(fuzz::readWhole(path) == original, "a file that is no JSON object is left alone");
        store.clearExternalDrivers(kDriverDir, home);
        fuzz::check(fuzz::readWhole(path) == original, "a file that is no JSON object is never cleared");
        fuzz::check(!store.hasExternalDrivers(home), "no registration is seen in a damaged file");
        return 0;
    }
    const QJsonArray runtimes = before.value("runtime").toArray();
    fuzz::check(runtime == (runtimes.isEmpty() ? QStringLiteral("unset") : runtimes.first().toString()),
                "the runtime folder is the first runtime entry");

    QJsonObject after;
    QJsonValue drivers;
    fuzz::check(withoutDrivers(fuzz::readWhole(path), &after, &drivers), "the registered file is a JSON object");
    fuzz::check(fuzz::sameJson(after, before), "registering changes nothing but the driver list");
    fuzz::check(drivers == QJsonValue(QJsonArray { kDriverDir }), "the driver list holds exactly the folder");
    fuzz::check(store.hasExternalDrivers(home), "the registration is seen");

    store.clearExternalDrivers(kDriverDir, home);
    fuzz::check(withoutDrivers(fuzz::readWhole(path), &after, &drivers), "the cleared file is a JSON object");
    fuzz::check(fuzz::sameJson(after, before), "clearing changes nothing but the driver list");
    fuzz::check(drivers == QJsonValue(QJsonArray()), "the cleared driver list is empty");
    fuzz::check(!store.hasExternalDrivers(home), "no registration is seen after clearing");
    return 0;
}
