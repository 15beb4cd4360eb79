#pragma once

#include <QString>
#include <QStringList>

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

    // Edits of single entries that leave every other driver entry and member
    // as they were (the registration of a SteamVR start above replaces the
    // whole list). Folders are compared without regard to case or the kind of
    // slash.
    // The entries of "external_drivers"; `ok` is false when the file cannot
    // be read or parsed.
    QStringList drivers(bool *ok = nullptr) const;
    // Puts `replacement` where `folder` stood, once; adds it at the end when
    // `folder` is not there. False with `error` when the file cannot be read,
    // parsed or written.
    bool replaceFolder(const QString &folder, const QString &replacement, QString *error = nullptr) const;
    // Removes every entry naming `folder`; the others keep their order.
    bool removeFolder(const QString &folder, QString *error = nullptr) const;

    // Folders as Windows compares them: forward slashes, no trailing slash,
    // any case.
    static QString normalised(QString path);
    static bool samePath(const QString &a, const QString &b);

private:
    QString m_path;
};
