#include "pagerules.h"
#include "qualitytable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

namespace {

QVariantMap rangeMap(const QualityTable::Range &range)
{
    return QVariantMap { { QStringLiteral("from"), range.from },
                         { QStringLiteral("to"), range.to },
                         { QStringLiteral("step"), range.step },
                         { QStringLiteral("marker"), range.marker } };
}

QVariantMap cardState(bool stop, bool list, const char *icon, const char *text)
{
    return QVariantMap { { QStringLiteral("stop"), stop },
                         { QStringLiteral("list"), list },
                         { QStringLiteral("icon"), QString::fromLatin1(icon) },
                         { QStringLiteral("text"), QString::fromLatin1(text) } };
}

QVariantMap withMask(QVariantMap state, bool mask)
{
    state.insert(QStringLiteral("mask"), mask);
    return state;
}

const QStringList kUncoverable { QStringLiteral("qrc:/qml/windows/UsePortProcessTips.qml"),
                                 QStringLiteral("qrc:/qml/windows/NetworkSetting.qml"),
                                 QStringLiteral("qrc:/qml/windows/UpdateGpuDriverTips.qml") };

// The dialogs that give way to an uncoverable notice; the others (the
// headset chooser and what the user opens) always open.
const QStringList kGivingWay { QStringLiteral("qrc:/qml/windows/PowerDownPage.qml"),
                               QStringLiteral("qrc:/qml/windows/NetworkSetting.qml"),
                               QStringLiteral("qrc:/qml/windows/UsePortProcessTips.qml"),
                               QStringLiteral("qrc:/qml/windows/UpdateGpuDriverTips.qml"),
                               QStringLiteral("qrc:/qml/windows/UpdatePage.qml") };

} // namespace

QVariantMap PageRules::quality() const
{
    return QVariantMap { { QStringLiteral("scale"), rangeMap(QualityTable::scaleRange()) },
                         { QStringLiteral("wiredBitRate"), rangeMap(QualityTable::bitRateRange(true)) },
                         { QStringLiteral("wirelessBitRate"), rangeMap(QualityTable::bitRateRange(false)) } };
}

bool PageRules::dialogMayOpen(const QString &requested, const QString &showingSource, bool showing) const
{
    if (!kGivingWay.contains(requested))
        return true;
    return !(showing && kUncoverable.contains(showingSource));
}

QVariantMap PageRules::headsetCardState(bool wired, int headsetCount, bool isConnect, bool hasDisConnect,
                                        bool hasEnumdevices, bool hasConnectedDevice) const
{
    if (wired) {
        const char *text = isConnect ? "connected" : hasEnumdevices ? "connecting" : "detecting";
        return withMask(cardState(false, false, isConnect ? "success" : "", text), isConnect);
    }
    if (headsetCount == 0)
        return withMask(cardState(false, false, "", "searching"), false);
    if (headsetCount == 1) {
        if (isConnect)
            return withMask(cardState(true, false, "success", "connected"), true);
        if (hasDisConnect || !hasConnectedDevice)
            return cardState(false, true, "warning", "chooseDevice");
        return withMask(cardState(false, false, "", "searching"), false);
    }
    if (isConnect)
        return cardState(true, true, "success", "connected");
    return cardState(false, true, "warning", "chooseHeadset");
}

int PageRules::qualityChange(const QVariantMap &chosen, const QVariantMap &current) const
{
    // Numbers from QML may come as integers or doubles.
    auto same = [&](const char *key) {
        return chosen.value(QLatin1String(key)).toDouble() == current.value(QLatin1String(key)).toDouble();
    };
    const bool othersSame = same("preset") && same("fps") && same("codec") && same("scale")
        && chosen.value(QStringLiteral("microphone")).toBool() == current.value(QStringLiteral("microphone")).toBool();
    if (othersSame && same("bitRate"))
        return Unchanged;
    if (othersSame && chosen.value(QStringLiteral("preset")).toInt() == QualityTable::kCustom)
        return BitRateOnly;
    return FullChange;
}

int PageRules::codecChoices(bool av1Available, bool nvidia) const
{
    return QualityTable::codecChoices(av1Available, nvidia);
}

QString PageRules::shortVrId(const QString &name) const
{
    return QStringLiteral("VR ID: ") + name.right(6);
}

QVariantList PageRules::parseList(const QString &json) const
{
    const QJsonDocument document = QJsonDocument::fromJson(json.toUtf8());
    return document.isArray() ? document.array().toVariantList() : QVariantList();
}
