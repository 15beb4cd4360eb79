// libFuzzer target of the GPU table "./compare.json": the hardware score and
// the AV1 rule of SettingsStore. The input is the table, then a NUL, the CPU
// name, a NUL and the GPU name (names as UTF-8).
#include "fuzz_support.h"
#include "settingsstore.h"

#include <QList>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString folder = fuzz::scratchFolder(true);
    const QList<QByteArray> parts = QByteArray(reinterpret_cast<const char *>(data), static_cast<int>(size)).split('\0');
    const QString cpu = parts.size() > 1 ? QString::fromUtf8(parts.at(1)) : QString();
    const QString gpu = parts.size() > 2 ? QString::fromUtf8(parts.at(2)) : QString();
    fuzz::writeWhole("compare.json", parts.at(0));

    SettingsStore store(folder + "/user");
    const int score = store.hardwareScore(cpu, gpu);
    static const QList<int> kScores { 0, 1, 4, 5, 8, 9, 12 };
    fuzz::check(kScores.contains(score), "a score is a CPU score (0, 1, 4) plus a GPU score (0, 4, 8)");
    fuzz::check(store.hardwareScore(cpu, gpu) == score, "the same table and names score the same");

    const bool av1 = store.isAv1Capable(gpu);
    fuzz::check(!av1 || gpu.contains(QLatin1String("RTX")), "only an RTX card encodes AV1");
    fuzz::check(!av1 || score >= 8, "an AV1 card is a card of the top class");
    store.setDeviceSn(QStringLiteral("KY0001"));
    fuzz::check(!store.isAv1Capable(gpu), "AV1 only for the KZ headsets");
    return 0;
}
