#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

// The decisions of the pages, for QML as the singleton "PageRules" of module
// "NerevManager" 1.0: which notice may cover which, the headset card's state
// row, what applying the settings page does, and the quality ranges and codec
// choices of that page (from QualityTable). The pages keep their texts and
// only show what these answer.
class PageRules : public QObject
{
    Q_OBJECT
    // {"scale", "wiredBitRate", "wirelessBitRate"}: each {"from", "to", "step", "marker"}.
    Q_PROPERTY(QVariantMap quality READ quality CONSTANT)

public:
    // What applying the settings page must do.
    enum QualityChange { Unchanged, BitRateOnly, FullChange };
    Q_ENUM(QualityChange)

    explicit PageRules(QObject *parent = nullptr) : QObject(parent) {}

    QVariantMap quality() const;

    // Whether the dialog `requested` may open now: the notices that must not
    // be covered (port users, network profile, graphics driver) hold off the
    // other notices and the update while one of them shows.
    Q_INVOKABLE bool dialogMayOpen(const QString &requested, const QString &showingSource, bool showing) const;

    // The headset card after showVrList(isConnect, hasDisConnect):
    // {"stop": bool, "list": bool, "icon": "success" | "warning" | "",
    //  "text": "connected" | "connecting" | "detecting" | "searching" | "chooseDevice" | "chooseHeadset",
    //  "mask": bool, absent when the mask stays as it is}.
    Q_INVOKABLE QVariantMap headsetCardState(bool wired, int headsetCount, bool isConnect, bool hasDisConnect,
                                             bool hasEnumdevices, bool hasConnectedDevice) const;

    // Chosen and current values, each {"preset", "fps", "codec", "microphone", "scale", "bitRate"}:
    // nothing differs; in the custom preset only the bit rate differs; anything else.
    Q_INVOKABLE int qualityChange(const QVariantMap &chosen, const QVariantMap &current) const;

    // How many codecs the settings page offers (H.264, HEVC, HEVC-10bit, AV1-10bit).
    Q_INVOKABLE int codecChoices(bool av1Available, bool nvidia) const;

    // "VR ID: " and the last six characters of a headset name.
    Q_INVOKABLE QString shortVrId(const QString &name) const;
    // The controller's JSON documents as a list; an empty or damaged text, or
    // one that is not an array, gives an empty list.
    Q_INVOKABLE QVariantList parseList(const QString &json) const;
};
