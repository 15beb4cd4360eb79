// libFuzzer target of set.json: SettingsStore::load with its completion of
// the model sections, then save and a fresh load of what was saved. Whatever
// the file held, every section comes out complete, and what one run saved the
// next run reads back unchanged (nothing the user chose is lost on the way).
#include "fuzz_support.h"
#include "settingsstore.h"

#include <QJsonObject>
#include <QStringList>

#include <cstddef>
#include <cstdint>

namespace {
const QStringList kSectionKeys { "fps",   "bitRate",         "bitRate_wired", "scale",    "audio", "customize",
                                 "codec", "definitionIndex", "fullrange",     "10bitenc", "hdr" };

bool complete(const QJsonObject &section)
{
    for (const QString &key : kSectionKeys) {
        if (!section.contains(key))
            return false;
    }
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString folder = fuzz::scratchFolder();
    const QString path = folder + "/set.json";
    fuzz::writeWhole(path, QByteArray(reinterpret_cast<const char *>(data), static_cast<int>(size)));

    SettingsStore first(folder);
    first.load(false, 3);
    QJsonObject sections[3];
    for (int model = 1; model <= 3; ++model) {
        sections[model - 1] = first.load(true, model);
        fuzz::check(complete(sections[model - 1]), "every loaded section is complete");
    }
    fuzz::check(first.width() > 0 && first.height() > 0, "a size for every headset id");
    first.save(QString());

    SettingsStore second(folder);
    second.load(false, 3);
    for (int model = 1; model <= 3; ++model)
        fuzz::check(fuzz::sameJson(second.load(true, model), sections[model - 1]), "a saved section reads back unchanged");
    fuzz::check(second.currentId() == first.currentId(), "the saved headset id reads back unchanged");
    fuzz::check(second.wiredOrWireless() == first.wiredOrWireless(), "the saved mode reads back unchanged");
    return 0;
}
