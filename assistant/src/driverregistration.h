#pragma once

#include <QString>

// SteamVR's driver registration "openvrpaths.vrpath" (SteamVR's file, never
// created here): the streamer's driver folder is put into its
// "external_drivers" just long enough for SteamVR to load it. Every other
// member is written back as it was read.
class DriverRegistration {
public:
    explicit DriverRegistration(const QString &path) : m_path(path) {}

    // "external_drivers" becomes exactly `driverDir`; `runtimePath` gets the
    // first "runtime" entry when there is one. True when the file was written.
    bool set(const QString &driverDir, QString &runtimePath) const;
    void clear() const;
    bool has() const;

private:
    QString m_path;
};
