#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QNetworkRequest>
#include <QObject>
#include <QString>

#include <mutex>

class QNetworkAccessManager;
class QNetworkReply;
class QTimerEvent;

// Scheme and host of the cloud API server, without a trailing slash. Release
// builds carry it as a build constant; the environment variable
// OSTREL_CLOUD_URL overrides it so tests and the demo can use a local server.
QString cloudBaseUrl();

// A request to the cloud with the settings every cloud call shares: the
// server's certificate is verified against the system's trust store, Qt picks
// the protocol from its secure set, and redirects are never followed.
QNetworkRequest cloudRequest(const QUrl& url);

// Queues usage events and sends them to the cloud in batches (every ten
// minutes and once more when the program closes); uploads feedback files.
class HttpManager : public QObject
{
    Q_OBJECT

public:
    static constexpr int kUploadIntervalMs = 600000;

    static HttpManager* instance();

    // The program uses instance(); a test may build its own object with a
    // shorter upload interval.
    explicit HttpManager(int uploadIntervalMs = kUploadIntervalMs);
    ~HttpManager() override;

    // Builds an event record and queues it. Callable from any thread.
    void report(QString eventId, QJsonObject extraData);
    // Sends the whole queue as one batch; async false waits for the answer.
    void sendQueuedEvents(bool async);
    void uploadFeedback(QString filePath, QString fileName);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void handleBatchAnswer(QNetworkReply* reply, const QJsonArray& sent);

    QNetworkAccessManager* m_manager;
    QList<QJsonObject*> m_queue;
    // Guards m_queue. A standard mutex: the race detector sees its locking,
    // which it cannot for a QMutex of the uninstrumented Qt library.
    std::mutex m_mutex;
    int m_timerId = 0;
};
