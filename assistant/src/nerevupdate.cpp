#include "nerevupdate.h"

#include "httpmanager.h"
#include "programversion.h"
#include "versionanswer.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>
#include <QtDebug>

#include <cstdio>

namespace {

const char kTablePath[] = "/nerevresource/pc_compare.json";
const char kVersionPath[] = "/vrmcsys/appstore/getVozeVerInfo";

QString downloadFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation) + "/download/";
}

bool isRedirect(QNetworkReply* reply)
{
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    return status == 301 || status == 302 || status == 303 || status == 305 || status == 307 || status == 308;
}

// Checks a finished download; the log lines name what went wrong.
bool downloadSucceeded(QNetworkReply* reply, const QString& redirectPrefix)
{
    if (reply->error() != QNetworkReply::NoError) {
        qInfo().noquote() << QString("Download of %1 failed: %2\n")
                                 .arg(QString::fromLatin1(reply->url().toEncoded()), reply->errorString());
        return false;
    }
    if (isRedirect(reply)) {
        qInfo().noquote() << redirectPrefix + "Request was redirected.\n";
        return false;
    }
    return true;
}

void reportOpenFailure(const QSaveFile& file)
{
    std::fprintf(stderr, "Could not open %s for writing: %s\n", qPrintable(file.fileName()),
                 qPrintable(file.errorString()));
}

} // namespace

NerevUpdate::NerevUpdate(QObject* parent)
    : QObject(parent)
    , m_manager(new QNetworkAccessManager(this))
    , m_forced(false)
    , m_setupStarted(false)
{
    downloadTable();
    checkVersion();
}

NerevUpdate::~NerevUpdate() = default;

bool NerevUpdate::isNewer(const QString& current, const QString& offered)
{
    return VersionAnswer::isNewer(current, offered);
}

QString NerevUpdate::installerFileName(const QString& url)
{
    return VersionAnswer::installerFileName(url);
}

QString NerevUpdate::noteText(QString note)
{
    return VersionAnswer::noteText(note);
}

QString NerevUpdate::versionText(const QString& programVersion)
{
    const QStringList parts = programVersion.split('.');
    if (parts.size() < 4)
        return "v1.0.0";
    return QString("v%1.%2.%3").arg(parts.at(0), parts.at(1), parts.at(2));
}

QString NerevUpdate::version()
{
    return versionText(programVersion());
}

void NerevUpdate::downloadTable()
{
    QNetworkReply* reply = m_manager->get(cloudRequest(QUrl(cloudBaseUrl() + kTablePath)));
    connect(reply, &QNetworkReply::finished, this, [this, reply]() {
        reply->deleteLater();
        const QString target = QDir::currentPath() + "/compare.json";
        bool stored = false;
        if (downloadSucceeded(reply, reply->url().toString() + " ")) {
            const QByteArray body = reply->readAll();
            // A damaged table must not replace the one the program already has.
            QJsonParseError parseError;
            const QJsonDocument table = QJsonDocument::fromJson(body, &parseError);
            if (parseError.error != QJsonParseError::NoError || !table.isObject()) {
                qInfo().noquote() << "compare.json download is not a JSON object: " + parseError.errorString();
            } else {
                QSaveFile file(target);
                if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
                    reportOpenFailure(file);
                } else {
                    file.write(body);
                    stored = file.commit();
                }
            }
        }
        if (!stored) {
            qInfo() << "down compare.json fail";
            return;
        }
        emit tableStored();
    });
}

void NerevUpdate::checkVersion()
{
    QNetworkRequest request = cloudRequest(QUrl(cloudBaseUrl() + kVersionPath));
    request.setHeader(QNetworkRequest::ContentTypeHeader, "text/plain;charset=UTF-8");
    QNetworkReply* reply = m_manager->post(request, QByteArray("{}"));
    // The answer is read whole: a server that sends it in pieces is still understood.
    connect(reply, &QNetworkReply::finished, this, [this, reply]() { handleVersionAnswer(reply); });
}

void NerevUpdate::handleVersionAnswer(QNetworkReply* reply)
{
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError)
        return;

    const VersionAnswer answer = VersionAnswer::read(reply->readAll(), programVersion());
    if (!answer.logLine.isEmpty())
        qInfo().noquote() << answer.logLine;
    if (answer.verdict != VersionAnswer::Offer)
        return;

    qInfo() << "start update";
    m_forced = answer.forced;
    m_note = answer.note;
    m_url = answer.url;
    m_filePath = downloadFolder() + answer.installerName;

    // Only complete downloads ever get this name, so a file found here is a
    // whole installer from an earlier run.
    if (QFileInfo::exists(m_filePath)) {
        emit updateSignal(m_note, m_forced);
        return;
    }
    QDir().mkpath(downloadFolder());
    downloadInstaller();
}

void NerevUpdate::downloadInstaller()
{
    // The installer is written under a temporary name and renamed only when the
    // download has completed, so a cut download leaves nothing to offer later.
    m_installerFile = new QSaveFile(m_filePath, this);
    if (!m_installerFile->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        reportOpenFailure(*m_installerFile);
        delete m_installerFile;
        m_installerFile = nullptr;
        emit downExeFinish();
        return;
    }

    QNetworkReply* reply = m_manager->get(cloudRequest(QUrl(m_url)));
    connect(reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64 total) {
        if (total > 0)
            emit processStatus(static_cast<float>(received) / static_cast<float>(total));
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply]() {
        const QByteArray chunk = reply->readAll();
        if (m_installerFile && m_installerFile->write(chunk) != chunk.size()) {
            qInfo().noquote() << "writing the installer failed: " + m_installerFile->errorString();
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply]() { finishInstaller(reply); });
}

void NerevUpdate::finishInstaller(QNetworkReply* reply)
{
    reply->deleteLater();
    bool written = false;
    if (downloadSucceeded(reply, QString())) {
        const QByteArray rest = reply->readAll();
        if (m_installerFile->write(rest) == rest.size())
            written = m_installerFile->commit();
        if (!written)
            qInfo().noquote() << "saving the installer failed: " + m_installerFile->errorString();
    } else {
        m_installerFile->cancelWriting();
    }
    // Without commit() the temporary file is removed here.
    delete m_installerFile;
    m_installerFile = nullptr;

    if (written) {
        // The installer is started directly by setup().
        QFile::setPermissions(m_filePath, QFile::permissions(m_filePath) | QFileDevice::ExeOwner | QFileDevice::ExeUser);
        emit updateSignal(m_note, m_forced);
    }
    emit downExeFinish();
}

bool NerevUpdate::setup()
{
    if (m_setupStarted)
        return false;
    m_setupStarted = true;
    if (m_filePath.isEmpty() || !QFileInfo::exists(m_filePath))
        return false;
    if (!QProcess::startDetached(m_filePath, QStringList())) {
        qInfo().noquote() << "starting the installer failed: " + m_filePath;
        return false;
    }
    return true;
}
