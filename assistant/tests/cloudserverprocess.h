#pragma once
// Test helper: runs tools/cloud-server as a real process on a port the OS
// picks, and reads back what it stored. Shared by the cloud tests.

#include "hostprocess.h"
#include "logcapture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QMutexLocker>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

class CloudServer
{
public:
    CloudServer() = default;
    CloudServer(const CloudServer&) = delete;
    CloudServer& operator=(const CloudServer&) = delete;

    ~CloudServer() { stop(); }

    // Starts the server; extraArguments go to its command line (e.g. TLS files).
    bool start(const QStringList& extraArguments = {})
    {
        if (!m_dir.isValid())
            return false;
        QDir(m_dir.path()).mkpath("root/download");
        QDir(m_dir.path()).mkpath("store");
        const QString script = QStringLiteral(OSTREL_TOOLS_BIN_DIR "/cloud-server/cloud-server.py");
        QStringList arguments{"--root", rootPath(), "--store", storePath(), "--watch-stdin"};
        arguments << extraArguments;
        // The system interpreter starts fastest; any python3 on PATH will do.
        if (!m_process.start("python3", QStringList{script} + arguments, {"/usr/bin"}))
            return false;
        // "listening on http://127.0.0.1:PORT"
        const QByteArray prefix("listening on ");
        const QByteArray line = m_process.waitForLine(prefix, 10000);
        const int at = line.indexOf(prefix);
        if (at < 0)
            return false;
        m_baseUrl = QString::fromLatin1(line.mid(at + prefix.size()).trimmed());
        return true;
    }

    void stop() { m_process.stop(); }

    QString baseUrl() const { return m_baseUrl; }
    QString rootPath() const { return m_dir.path() + "/root"; }
    QString storePath() const { return m_dir.path() + "/store"; }

    void serveFile(const QString& relativePath, const QByteArray& content) const
    {
        writeWhole(rootPath() + "/" + relativePath, content);
    }

    // Misbehaviour for one request path, e.g. {"mode": "errcode", "errCode": 2}.
    void setRule(const QString& path, const QJsonObject& rule)
    {
        m_rules.insert(path, rule);
        writeWhole(rootPath() + "/rules.json", QJsonDocument(m_rules).toJson());
    }

    void clearRules()
    {
        m_rules = QJsonObject();
        writeWhole(rootPath() + "/rules.json", "{}");
    }

    // Every event batch body as received, in arrival order.
    QList<QByteArray> eventBatches() const { return storedFiles("events", "*.json"); }

    // Every feedback upload: {"contentType": ..., "parts": [{"headers": [[name, value]...], "body": ...}]}.
    QList<QJsonObject> feedbackUploads() const
    {
        QList<QJsonObject> uploads;
        for (const QByteArray& raw : storedFiles("feedback", "*.json"))
            uploads << QJsonDocument::fromJson(raw).object();
        return uploads;
    }

    QByteArray rawFeedback(int index) const { return storedFiles("feedback", "*.raw").value(index); }

    // Every request the server saw: {"method", "path", "headers": [[name, value]...]}.
    QList<QJsonObject> requests() const
    {
        QList<QJsonObject> seen;
        QFile log(storePath() + "/requests.log");
        if (!log.open(QIODevice::ReadOnly))
            return seen;
        for (const QByteArray& line : log.readAll().split('\n')) {
            if (!line.trimmed().isEmpty())
                seen << QJsonDocument::fromJson(line).object();
        }
        return seen;
    }

    int requestCount(const QString& path) const
    {
        int count = 0;
        for (const QJsonObject& request : requests())
            count += request.value("path").toString() == path ? 1 : 0;
        return count;
    }

    static QString header(const QJsonArray& headers, const QString& name)
    {
        for (const QJsonValue& pair : headers) {
            if (pair.toArray().at(0).toString().compare(name, Qt::CaseInsensitive) == 0)
                return pair.toArray().at(1).toString();
        }
        return QString();
    }

    static void writeWhole(const QString& path, const QByteArray& content)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QSaveFile file(path);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(content);
            file.commit();
        }
    }

private:
    QList<QByteArray> storedFiles(const QString& kind, const QString& pattern) const
    {
        QList<QByteArray> contents;
        const QDir dir(storePath() + "/" + kind);
        for (const QString& name : dir.entryList({pattern}, QDir::Files, QDir::Name)) {
            QFile file(dir.filePath(name));
            if (file.open(QIODevice::ReadOnly))
                contents << file.readAll();
        }
        return contents;
    }

    QTemporaryDir m_dir;
    HostProcess m_process;
    QString m_baseUrl;
    QJsonObject m_rules;
};
