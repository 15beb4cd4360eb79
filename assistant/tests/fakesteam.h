#pragma once
// Test helpers around tools/fake-steam: copies of it under watched names, started as real
// processes.
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
    return QStringLiteral(OSTREL_TOOLS_BIN_DIR "/fake-steam/fake-steam");
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
