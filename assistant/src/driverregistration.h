#pragma once

#include <QString>
#include <QStringList>

// Edits of single entries of "external_drivers" in SteamVR's openvrpaths.vrpath that
// leave every other driver entry and every other member as they were (the
// registration of a SteamVR start replaces the whole list; see SettingsStore).
namespace DriverRegistration {

// The entries of "external_drivers"; `ok` is false when the file cannot be read or parsed.
QStringList registeredDrivers(const QString &vrpathFile, bool *ok = nullptr);
// Puts `replacement` where `folder` stood (compared without regard to case or the kind
// of slash), once; adds it at the end when `folder` is not there. The file is written
// whole and atomically; false with `error` when it cannot be read, parsed or written.
bool replaceDriverFolder(const QString &vrpathFile, const QString &folder, const QString &replacement,
                         QString *error = nullptr);
// Removes every entry naming `folder`; the others stay in their order.
bool removeDriverFolder(const QString &vrpathFile, const QString &folder, QString *error = nullptr);

} // namespace DriverRegistration
