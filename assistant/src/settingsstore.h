#pragma once

#include "driverregistration.h"
#include "gputable.h"
#include "recentheadsets.h"
#include "sessionfile.h"
#include "settingsfile.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <functional>

// The one front of the files the streaming set-up depends on: the
// assistant's settings file (settingsfile), the recent-headset list
// (recentheadsets), the streamer's session file (sessionfile), SteamVR's
// driver registration (driverregistration) and the GPU table (gputable).
// Its own job is the quality of the current headset: which model section
// applies and what a quality change writes (the values come from
// QualityTable).
//
// Headset models by the first two characters of the id (case-sensitive):
// "KX" model 1, "KY" model 2, "KZ" (or an empty id) model 3.
class SettingsStore {
public:
    // Where the files are, as absolute paths.
    struct Paths {
        QString settingsFile;  // set.json
        QString recentFile;    // setting.inf
        QString sessionFile;   // the streamer's session.json
        QString gpuTable;      // compare.json
        // set.json and setting.inf in `userFolder`, the streamer's files in `programFolder`.
        static Paths in(const QString &userFolder, const QString &programFolder);
    };

    static SettingsStore *instance();

    explicit SettingsStore(const Paths &paths);
    // `folder` holds set.json and setting.inf (empty: the per-user folder);
    // the session file and the GPU table are in the current folder.
    explicit SettingsStore(const QString &folder = QString());

    // set.json
    QJsonObject load(bool useModel, int model);
    void save(QString id);
    QJsonObject &sectionForId(QString id);
    int modelOf(QString id) const;
    QString currentId() const { return m_file.lastId(); }

    int definitionIndex();
    int fpsIndex();
    int encodeIndex();
    bool audio();
    bool tenBitEnc();
    bool fullRange();
    bool hdr();
    int wiredOrWireless() const { return m_file.mode(); }
    void setWiredOrWireless(int mode);
    int width();
    int height();
    void storeVideoBitRate(int bitRate, bool wired, int model);
    void storeVideoQuality(int scale, int bitRate, bool wired, int model);

    // setting.inf: names of headsets connected before, most recent first.
    QStringList recentHeadsets() const { return m_recent.read(); }
    void storeRecentHeadsets(const QStringList &names) { m_recent.write(names); }

    // The streamer's session file.
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

    // The GPU table.
    int hardwareScore(QString cpuName, QString gpuName);
    bool isAv1Capable(QString gpuName);
    bool isNvidia(QString gpuName) const;

    QString settingsFilePath() const { return m_file.path(); }
    QString recentFilePath() const { return m_recent.path(); }

private:
    void ensureRead();
    QJsonObject &currentSection();
    // Stores a quality set in the current section; the render scale it gives.
    double storeQuality(int definitionIndex, int fpsIndex, int encodeIndex, bool audio, bool wired, bool tenBit,
                        bool fullRange, bool hdr);
    void resolveSize();

    SettingsFile m_file;
    RecentHeadsets m_recent;
    SessionFile m_session;
    GpuTable m_gpuTable;
    int m_width = 2880;
    int m_height = 2656;
    bool m_sizeResolved = false;
    std::function<bool()> m_vbCableCheck;
};
