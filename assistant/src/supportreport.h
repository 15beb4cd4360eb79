#pragma once

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

// "Save a report for support": one zip with what support asks for and nothing else:
// today's and yesterday's logs, set.json, setting.inf, the streamer's session.json,
// SteamVR's openvrpaths.vrpath, the PC inventory and every check's result. Files that
// do not exist are left out. Members that could carry a secret (a token, a password,
// a contact) are removed from the JSON files on the way in.
class SupportReport
{
public:
    struct Inputs {
        QStringList logFiles;        // the daily logs, named in the zip by their file names
        QString settingsFile;        // set.json
        QString recentFile;          // setting.inf
        QString sessionFile;         // the streamer's session.json
        QString vrpathFile;          // openvrpaths.vrpath
        QJsonObject inventory;
        QJsonArray checks;
        QDateTime now = QDateTime::currentDateTime();
    };

    // The zip's name for a report made at `now`.
    static QString fileName(const QDateTime &now);
    // The names the zip holds for these inputs, in the order written.
    static QStringList entryNames(const Inputs &inputs);
    // Writes the zip into `folder` through a temporary file, so a failed write leaves
    // nothing behind. Its path, or empty with `error` set.
    static QString write(const QString &folder, const Inputs &inputs, QString *error = nullptr);
    // A JSON document with every member whose name holds "token", "password",
    // "secret" or "contact" removed, at any depth; other bytes are returned as they are.
    static QByteArray withoutSecrets(const QByteArray &json);
};
