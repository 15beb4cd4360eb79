#pragma once
// A program of the machine the tests run on (python3 for the cloud server,
// openssl), started by a test. Natively a QProcess; a Windows test under Wine
// cannot start Linux programs, so there (OSTREL_HOST_BRIDGE set by
// scripts/wine-run) scripts/wine-host-bridge starts it on request: a request
// file in, its standard output in a file, its exit code in a file.
#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>
#include <QThread>
#include <QUuid>

class HostProcess
{
public:
    HostProcess() = default;
    HostProcess(const HostProcess &) = delete;
    HostProcess &operator=(const HostProcess &) = delete;
    ~HostProcess() { stop(); }

    static bool bridged() { return qEnvironmentVariableIsSet("OSTREL_HOST_BRIDGE"); }

    // `program` is a name looked up on the host's PATH (natively also in `nativeFolders` first).
    bool start(const QString &program, const QStringList &arguments, const QStringList &nativeFolders = {})
    {
        if (!bridged()) {
            QString path = QStandardPaths::findExecutable(program, nativeFolders);
            if (path.isEmpty())
                path = QStandardPaths::findExecutable(program);
            if (path.isEmpty())
                return false;
            m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            m_process.start(path, arguments);
            return m_process.waitForStarted(5000);
        }
        m_id = QUuid::createUuid().toString(QUuid::Id128);
        QSaveFile request(file(".request"));
        if (!request.open(QIODevice::WriteOnly))
            return false;
        request.write(QJsonDocument(QJsonObject{ { "argv", QJsonArray::fromStringList(QStringList{ program } + arguments) } })
                          .toJson(QJsonDocument::Compact));
        return request.commit();
    }

    // Waits until the standard output holds a whole line with `marker`; returns that line.
    QByteArray waitForLine(const QByteArray &marker, int timeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            if (!bridged()) {
                m_output += m_process.readAllStandardOutput();
            } else {
                QFile out(file(".out"));
                if (out.open(QIODevice::ReadOnly))
                    m_output = out.readAll();
            }
            for (const QByteArray &line : m_output.split('\n').mid(0, m_output.count('\n'))) {
                if (line.contains(marker))
                    return line.trimmed();
            }
            if (finished())
                return QByteArray();
            if (!bridged())
                m_process.waitForReadyRead(100);
            else
                QThread::msleep(20);
        }
        return QByteArray();
    }

    // Waits for the end; the exit code, or -1 when it did not end in time.
    int waitForExit(int timeoutMs)
    {
        if (!bridged()) {
            if (!m_process.waitForFinished(timeoutMs))
                return -1;
            return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
        }
        QElapsedTimer clock;
        clock.start();
        while (!finished()) {
            if (clock.elapsed() > timeoutMs)
                return -1;
            QThread::msleep(20);
        }
        QFile exit(file(".exit"));
        exit.open(QIODevice::ReadOnly);
        return exit.readAll().trimmed().toInt();
    }

    // Closes its standard input; ends it after three seconds.
    void stop()
    {
        if (!bridged()) {
            if (m_process.state() == QProcess::NotRunning)
                return;
            m_process.closeWriteChannel();
            if (!m_process.waitForFinished(3000)) {
                m_process.kill();
                m_process.waitForFinished(3000);
            }
            return;
        }
        if (m_id.isEmpty() || finished())
            return;
        QFile stop(file(".stop"));
        stop.open(QIODevice::WriteOnly);
        stop.close();
        waitForExit(5000);
    }

private:
    bool finished() const
    {
        if (!bridged())
            return m_process.state() == QProcess::NotRunning;
        return QFile::exists(file(".exit"));
    }

    QString file(const char *suffix) const
    {
        return QDir(qEnvironmentVariable("OSTREL_HOST_BRIDGE")).filePath(m_id + QLatin1String(suffix));
    }

    QProcess m_process;
    QString m_id;
    QByteArray m_output;
};
