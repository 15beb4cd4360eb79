#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <functional>

// The single holder of the assistant's settings file set.json (one quality
// section per headset model, the last headset id, the streaming mode) and the
// editor of the other small files the streaming set-up depends on: the
// streamer's session file, SteamVR's driver registration and the GPU table.
//
// Headset models by the first two characters of the id (case-sensitive):
// "KX" model 1, "KY" model 2, "KZ" (or an empty id) model 3.
class SettingsStore {
public:
    static SettingsStore *instance();

    // `folder` holds set.json and setting.inf; empty: the per-user folder.
    explicit SettingsStore(const QString &folder = QString());

    // set.json
    QJsonObject load(bool useModel, int model);
    void save(QString id);
    QJsonObject &sectionForId(QString id);
    int modelOf(QString id) const;
    QString currentId() const { return m_sn; }

    int definitionIndex();
    int fpsIndex();
    int encodeIndex();
    bool audio();
    bool tenBitEnc();
    bool fullRange();
    bool hdr();
    int wiredOrWireless() const { return m_wiredOrWireless; }
    void setWiredOrWireless(int mode);
    int width();
    int height();
    void storeVideoBitRate(int bitRate, bool wired, int model);
    void storeVideoQuality(int scale, int bitRate, bool wired, int model);

    // setting.inf: names of headsets connected before, most recent first.
    QStringList recentHeadsets() const;
    void storeRecentHeadsets(const QStringList &names);

    // The streamer's session file "./session.json".
    void applyEffects(int definitionIndex, int fpsIndex, int encodeIndex, bool audio, bool wired, bool tenBit,
                      bool fullRange, bool hdr);
    bool setDeviceSn(QString id);
    void tidySessionFile();
    int codecIndex(QString codec, bool tenBit) const;
    bool useH264ScaleStep(int encodeIndex) const;
    // Answers whether the VB-Audio Virtual Cable is installed; until one is
    // set, the cable counts as missing.
    void setVbCableCheck(std::function<bool()> check);

    // SteamVR's driver registration "openvrpaths.vrpath" under `homeDir`.
    bool setExternalDrivers(QString driverDir, QString homeDir, QString &runtimePath);
    void clearExternalDrivers(QString appDir, QString homeDir);
    bool hasExternalDrivers(QString homeDir);

    // The GPU table "./compare.json".
    int hardwareScore(QString cpuName, QString gpuName);
    bool isAv1Capable(QString gpuName);
    bool isNvidia(QString gpuName) const;

    QString settingsFilePath() const;
    QString recentFilePath() const;

private:
    QJsonObject &sectionByRules(bool useModel, int model, bool firstLoad);
    QJsonObject &sectionForStore(int model);
    void resolveSize();

    QJsonObject m_kx;
    QJsonObject m_ky;
    QJsonObject m_kz;
    QString m_sn = QStringLiteral("KZ");
    int m_wiredOrWireless = 0;
    int m_width = 2880;
    int m_height = 2656;
    bool m_sizeResolved = false;

    QString m_folder;
    std::function<bool()> m_vbCableCheck;
};
