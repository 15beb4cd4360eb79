#include "httpmanager.h"

#include "systeminfo.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEventLoop>
#include <QFile>
#include <QHttpMultiPart>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QThread>
#include <QTimer>
#include <QTimerEvent>
#include <QUrl>
#include <QtDebug>

// Release builds set the address with -DOSTREL_CLOUD_BASE_URL=... (see README).
#ifndef OSTREL_CLOUD_BASE_URL
#define OSTREL_CLOUD_BASE_URL "https://api.ostrel.com"
#endif

namespace {

const char kEventPath[] = "/vrmcsys/datacenter/streaming_data_upload";
const char kFeedbackPath[] = "/vrmcsys/fileserver/StreamAssistant/upload";
const char kBaseUrlVariable[] = "OSTREL_CLOUD_URL";

// The synchronous send at closing must not keep the program from ending when
// the server does not answer.
constexpr int kSyncSendTimeoutMs = 10000;

QString compact(const QJsonArray& array)
{
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

QString compact(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

// The device and PC description attached to every event, as the hardware
// inventory reports it at the time of the event.
QJsonObject defaultData()
{
    return SystemInfo::instance()->reportJson();
}

} // namespace

QString cloudBaseUrl()
{
    QString base = QString::fromLatin1(OSTREL_CLOUD_BASE_URL);
    const QString overridden = qEnvironmentVariable(kBaseUrlVariable).trimmed();
    if (!overridden.isEmpty()) {
        const QUrl url(overridden, QUrl::StrictMode);
        if (url.isValid() && (url.scheme() == "http" || url.scheme() == "https") && !url.host().isEmpty()) {
            base = overridden;
        } else {
            qWarning().noquote() << QString("%1 is not an http(s) address, using %2: %3")
                                        .arg(kBaseUrlVariable, base, overridden);
        }
    }
    while (base.endsWith('/'))
        base.chop(1);
    return base;
}

QNetworkRequest cloudRequest(const QUrl& url)
{
    QNetworkRequest request(url);
    if (QSslSocket::supportsSsl()) {
        QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
        ssl.setPeerVerifyMode(QSslSocket::VerifyPeer);
        ssl.setProtocol(QSsl::SecureProtocols);
        request.setSslConfiguration(ssl);
    }
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    return request;
}

HttpManager* HttpManager::instance()
{
    static HttpManager manager;
    return &manager;
}

HttpManager::HttpManager(int uploadIntervalMs)
    : m_manager(new QNetworkAccessManager(this))
{
    m_timerId = startTimer(uploadIntervalMs, Qt::CoarseTimer);
    // The first report may come from a worker thread; sending and the timer
    // belong to the GUI thread.
    QCoreApplication* app = QCoreApplication::instance();
    if (app && thread() != app->thread())
        moveToThread(app->thread());
}

HttpManager::~HttpManager()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    qDeleteAll(m_queue);
    m_queue.clear();
}

void HttpManager::report(QString eventId, QJsonObject extraData)
{
    QJsonObject record;
    record.insert("timestamp", QDateTime::currentMSecsSinceEpoch());
    record.insert("defaultData", defaultData());
    record.insert("eventId", eventId);
    record.insert("extraData", extraData);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queue.append(new QJsonObject(record));
}

void HttpManager::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_timerId) {
        QObject::timerEvent(event);
        return;
    }
    sendQueuedEvents(true);
}

void HttpManager::sendQueuedEvents(bool async)
{
    QJsonArray batch;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_queue.isEmpty())
            return;
        for (const QJsonObject* record : qAsConst(m_queue))
            batch.append(*record);
        qDeleteAll(m_queue);
        m_queue.clear();
    }

    QNetworkRequest request = cloudRequest(QUrl(cloudBaseUrl() + kEventPath));
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json;charset=UTF-8");
    if (!async)
        request.setTransferTimeout(kSyncSendTimeoutMs);
    QNetworkReply* reply = m_manager->post(request, QJsonDocument(batch).toJson(QJsonDocument::Compact));

    if (async) {
        connect(reply, &QNetworkReply::finished, this, [this, reply, batch]() { handleBatchAnswer(reply, batch); });
        return;
    }
    QEventLoop loop;
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();
    handleBatchAnswer(reply, batch);
}

void HttpManager::handleBatchAnswer(QNetworkReply* reply, const QJsonArray& sent)
{
    const QByteArray body = reply->readAll();
    reply->deleteLater();
    // A connection that failed or was cut has no answer to read: say why.
    if (reply->error() != QNetworkReply::NoError)
        qWarning().noquote() << "event batch upload failed: " + reply->errorString();

    QJsonParseError parseError;
    const QJsonDocument answer = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        qCritical().noquote() << "error evnetid: " + compact(sent) + " json parse fail";
        return;
    }
    const QJsonObject object = answer.object();
    const QJsonValue errCode = object.value("errCode");
    if (!errCode.isDouble() || errCode.toInt(-1) != 0)
        qCritical().noquote() << "report error: " + compact(object) + ":" + compact(sent);
    // Sent records are never queued again, whatever the answer.
}

void HttpManager::uploadFeedback(QString filePath, QString fileName)
{
    // Read whole and closed at once: on Windows a file held open for the upload
    // could not be replaced by the next feedback, which would then be lost.
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning().noquote() << "feedback file cannot be read: " + filePath + ": " + file.errorString();
        return;
    }
    const QByteArray contents = file.readAll();
    file.close();

    auto* multiPart = new QHttpMultiPart(QHttpMultiPart::FormDataType);

    QHttpPart filePart;
    filePart.setHeader(QNetworkRequest::ContentDispositionHeader, QVariant("form-data;name=\"file\";filename=\".json\""));
    filePart.setHeader(QNetworkRequest::ContentTypeHeader, QVariant("multipart/form-data;"));
    filePart.setBody(contents);
    multiPart->append(filePart);

    QHttpPart namePart;
    namePart.setHeader(QNetworkRequest::ContentDispositionHeader, QVariant("form-data;name=\"fileName\""));
    namePart.setBody(fileName.toUtf8());
    multiPart->append(namePart);

    const QUrl url(cloudBaseUrl() + kFeedbackPath);
    QNetworkReply* reply = m_manager->post(cloudRequest(url), multiPart);
    multiPart->setParent(reply);

    connect(reply, &QNetworkReply::finished, this, [reply, url, filePath]() {
        const QByteArray body = reply->readAll();
        reply->deleteLater();
        // The feedback file stays where it is; only this upload is lost.
        if (reply->error() != QNetworkReply::NoError)
            qWarning().noquote() << "feedback upload failed: " + reply->errorString() + ": " + filePath;
        QJsonParseError parseError;
        const QJsonDocument answer = QJsonDocument::fromJson(body, &parseError);
        if (parseError.error != QJsonParseError::NoError) {
            qInfo().noquote() << url.toString() + " json parse fail";
            return;
        }
        const QJsonObject object = answer.object();
        const QJsonValue errCode = object.value("errCode");
        if (!errCode.isDouble() || errCode.toInt(-1) != 0)
            qInfo().noquote() << object.value("errMsg").toString() + ":" + url.toString();
    });
}
