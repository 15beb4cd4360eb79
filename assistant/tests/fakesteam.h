#pragma once
// Test helpers around tools/fake-steam: copies of it under watched names, started as real
// processes.
#include "platform/system_facts.h"
#include "platform/tcp_ports.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTest>

#include <memory>
#include <vector>

inline QString fakeSteamBinary()
{
    return QStringLiteral(OSTREL_TOOLS_BIN_DIR "/fake-steam/fake-steam" OSTREL_EXE_SUFFIX);
}

// Copies the fake program to dir/name (creating folders) and returns the path.
inline QString installFake(const QString& dir, const QString& name)
{
    const QString path = dir + QLatin1Char('/') + name;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::remove(path);
    if (!QFile::copy(fakeSteamBinary(), path))
        return QString();
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    return path;
}

// Whether this system's TCP table names the processes that own its rows (Wine's
// GetTcpTable2 names none).
inline bool tcpTableNamesOwners()
{
    const auto rows = platform::tcpPortOwners();
    if (!rows)
        return false;
    for (const auto &row : *rows) {
        if (row.pid != 0)
            return true;
    }
    return false;
}

// Running fake processes; every one still running is killed when the set goes away.
class FakeProcesses
{
public:
    ~FakeProcesses()
    {
        for (auto& p : m_processes) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(3000);
            }
        }
    }

    QProcess* start(const QString& program, const QStringList& args = {})
    {
        m_processes.push_back(std::make_unique<QProcess>());
        QProcess* p = m_processes.back().get();
        p->start(program, args);
        if (!p->waitForStarted(5000))
            return nullptr;
        return p;
    }

private:
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

// Where the assistant looks for Steam on this system, played by copies of the fake.
// Linux: below a home folder that becomes $HOME: ~/.local/share/Steam with the launcher
// steam.sh and the client in ubuntu12_32/, SteamVR's steamapps/common/SteamVR/bin/linux64,
// and the "steam" URL handler in a folder put first on PATH.
// Windows: a Steam folder named in the registry (Steam's InstallPath, SteamVR's uninstall
// entry) with the launcher steam.exe and the client in ubuntu12_32\, SteamVR's bin\win64,
// and steam:// handled by a steam.exe (HKEY_CLASSES_ROOT); the home folder stays the
// user's profile, which Qt takes from the system, not from the environment.
// Every watched name carries `suffix` (the test's process id).
class FakeSteamInstall
{
public:
    static QString exe(const QString &name) { return name + QStringLiteral(OSTREL_EXE_SUFFIX); }
    static bool windows() { return QStringLiteral(OSTREL_EXE_SUFFIX) == QLatin1String(".exe"); }

    // What the fake writes into its log for a Steam start, an opened URL, SteamVR's stop.
    static QString launchLine() { return windows() ? "steam.exe -silent" : "steam.sh -silent"; }
    static QString urlLine(const QString &url) { return exe("steam") + " " + url; }
    static QString shutdownLine() { return exe("vrstartup") + " -shutdown"; }

    bool create(const QString &root, const QString &suffix)
    {
        m_root = root;
        home = windows() ? QDir::homePath() : root + "/home";
        steamDir = windows() ? root + "/Steam" : home + "/.local/share/Steam";
        steamVrDir = steamDir + "/steamapps/common/SteamVR";
        vrBin = steamVrDir + (windows() ? "/bin/win64" : "/bin/linux64");
        urlHandlerDir = root + "/bin";
        QDir().mkpath(home);
        client = installFake(steamDir + "/ubuntu12_32", exe("steam" + suffix));
        return !installFake(steamDir, windows() ? "steam.exe" : "steam.sh").isEmpty() && !client.isEmpty()
            && !installFake(vrBin, exe("vrstartup")).isEmpty() && !installFake(vrBin, exe("vrserver" + suffix)).isEmpty()
            && !installFake(vrBin, exe("vrmonitor" + suffix)).isEmpty()
            && !installFake(urlHandlerDir, exe("steam")).isEmpty();
    }

    // Points the assistant and the fakes at this installation.
    void activate() const
    {
        if (!windows()) {
            qputenv("HOME", home.toUtf8());
            return;
        }
        const std::string steam = QDir::toNativeSeparators(steamDir).toStdString();
        platform::registryWriteString(kSteamKey, "InstallPath", steam);
        platform::registryWriteString(kSteamVrKey, "InstallLocation", QDir::toNativeSeparators(steamVrDir).toStdString());
        platform::registryWriteString(kUrlKey, "", "URL:steam protocol");
        platform::registryWriteString(kUrlKey, "URL Protocol", "");
        platform::registryWriteString(std::string(kUrlKey) + "\\shell\\open\\command", "",
                                      "\"" + QDir::toNativeSeparators(urlHandlerDir + "/steam.exe").toStdString() + "\" \"%1\"");
    }

    // The folder to put first on PATH on Linux, where the steam:// URLs go.
    QString pathEntry() const { return urlHandlerDir; }

    // No Steam anywhere: an empty home (Linux), no registry entries (Windows).
    static void removeAll(const QString &emptyHome)
    {
        if (!windows()) {
            qputenv("HOME", emptyHome.toUtf8());
            return;
        }
        platform::registryDeleteTree(kSteamKey);
        platform::registryDeleteTree(kSteamVrKey);
        platform::registryDeleteTree(kUrlKey);
    }

    QString home, steamDir, steamVrDir, vrBin, client, urlHandlerDir;

private:
    static constexpr const char *kSteamKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Valve\\Steam";
    static constexpr const char *kSteamVrKey =
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Steam App 250820";
    static constexpr const char *kUrlKey = "HKEY_CLASSES_ROOT\\steam"; // where Steam registers it
    QString m_root;
};
