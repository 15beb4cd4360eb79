#pragma once

#include <QObject>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;
class QSaveFile;

// Keeps the assistant and its GPU table current: on creation it downloads the
// GPU table into "./compare.json" and asks the cloud for the newest version;
// a newer installer is downloaded into the per-user folder and offered to the
// user interface, which may start it with setup().
class NerevUpdate : public QObject
{
    Q_OBJECT

public:
    explicit NerevUpdate(QObject* parent = nullptr);
    ~NerevUpdate() override;

    // True when the offered version is newer than the current one; both are
    // dot-separated integers and at least three parts are compared.
    static bool isNewer(const QString& current, const QString& offered);
    // Installer file name taken from a download address.
    static QString installerFileName(const QString& url);
    // The release note with its "/n" markers turned into line breaks.
    static QString noteText(QString note);
    // "v" and the first three parts of a four-part version text.
    static QString versionText(const QString& programVersion);

    Q_INVOKABLE bool setup();
    Q_INVOKABLE QString version();

signals:
    void updateSignal(QString note, bool isForce);
    void processStatus(float val);
    void downExeFinish();
    // A new GPU table replaced "./compare.json".
    void tableStored();

private:
    void downloadTable();
    void checkVersion();
    void handleVersionAnswer(QNetworkReply* reply);
    void downloadInstaller();
    void finishInstaller(QNetworkReply* reply);

    QNetworkAccessManager* m_manager;
    QString m_url;
    QString m_note;
    QString m_filePath;
    bool m_forced;
    bool m_setupStarted;
    QSaveFile* m_installerFile = nullptr;
};
