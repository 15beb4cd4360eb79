// HttpManager against the local cloud server running as a real process,
// also when it cuts an upload half-way.
#include "cloudserverprocess.h"
#include "httpmanager.h"
#include "systeminfo.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <memory>
#include <vector>

namespace {
const QString kEventPath = "/vrmcsys/datacenter/streaming_data_upload";
const QString kFeedbackPath = "/vrmcsys/fileserver/StreamAssistant/upload";

QJsonArray parsedBatch(const QByteArray& body)
{
    return QJsonDocument::fromJson(body).array();
}
} // namespace

class TestHttpManager : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_server = std::make_unique<CloudServer>();
        QVERIFY(m_server->start());
        qputenv("OSTREL_CLOUD_URL", m_server->baseUrl().toUtf8());
    }

    void cleanup()
    {
        m_server.reset();
        qunsetenv("OSTREL_CLOUD_URL");
    }

    void baseAddressComesFromTheEnvironment()
    {
        qputenv("OSTREL_CLOUD_URL", "http://127.0.0.1:4567//");
        QCOMPARE(cloudBaseUrl(), QString("http://127.0.0.1:4567"));

        LogCapture log;
        qputenv("OSTREL_CLOUD_URL", "not an address");
        const QString fallback = cloudBaseUrl();
        QVERIFY(fallback.startsWith("https://"));
        QVERIFY(log.contains("OSTREL_CLOUD_URL is not an http(s) address"));
        qunsetenv("OSTREL_CLOUD_URL");
        QCOMPARE(cloudBaseUrl(), fallback);
    }

    void eventsTravelAsOneBatchInReportingOrder()
    {
        HttpManager manager;
        const qint64 before = QDateTime::currentMSecsSinceEpoch();
        manager.report("mode_page_view", {});
        manager.report("wired_pit_click", {{"wired", true}});
        manager.report("streaming_module_pend", {{"seconds", 42}, {"model", "KZ"}});
        manager.sendQueuedEvents(true);
        QTRY_COMPARE(m_server->eventBatches().size(), 1);

        const QJsonArray batch = parsedBatch(m_server->eventBatches().at(0));
        QCOMPARE(batch.size(), 3);
        QCOMPARE(batch.at(0)["eventId"].toString(), QString("mode_page_view"));
        QCOMPARE(batch.at(1)["eventId"].toString(), QString("wired_pit_click"));
        QCOMPARE(batch.at(2)["eventId"].toString(), QString("streaming_module_pend"));
        QCOMPARE(batch.at(0)["extraData"].toObject(), QJsonObject());
        QCOMPARE(batch.at(1)["extraData"].toObject(), QJsonObject({{"wired", true}}));
        QCOMPARE(batch.at(2)["extraData"]["seconds"].toInt(), 42);
        qint64 previous = before;
        const QJsonObject inventory = SystemInfo::instance()->reportJson();
        QCOMPARE(inventory["streamingAssistantVersion"].toString(), QString("1.1.16.420"));
        for (const QJsonValue& record : batch) {
            const QJsonObject object = record.toObject();
            QCOMPARE(object.keys(), QStringList({"defaultData", "eventId", "extraData", "timestamp"}));
            QCOMPARE(object["defaultData"].toObject(), inventory);
            const qint64 timestamp = qint64(object["timestamp"].toDouble());
            QVERIFY(timestamp >= previous);
            QVERIFY(timestamp <= QDateTime::currentMSecsSinceEpoch());
            previous = timestamp;
        }

        // The compact array is the whole body, sent as JSON.
        QCOMPARE(m_server->eventBatches().at(0), QJsonDocument(batch).toJson(QJsonDocument::Compact));
        const QJsonObject request = m_server->requests().last();
        QCOMPARE(request["method"].toString(), QString("POST"));
        QCOMPARE(CloudServer::header(request["headers"].toArray(), "Content-Type"),
                 QString("application/json;charset=UTF-8"));

        // The queue was emptied by the send: nothing more goes out.
        manager.sendQueuedEvents(true);
        manager.sendQueuedEvents(false);
        QCOMPARE(m_server->requestCount(kEventPath), 1);
    }

    void deviceDescriptionIsTakenWhenTheEventIsReported()
    {
        HttpManager manager;
        SystemInfo::instance()->setDeviceSN("KZ0001");
        manager.report("before_pit_click", {});
        SystemInfo::instance()->setDeviceSN("KZ0002");
        manager.report("after_pit_click", {});
        manager.sendQueuedEvents(false);
        const QJsonArray batch = parsedBatch(m_server->eventBatches().at(0));
        QCOMPARE(batch.at(0)["defaultData"]["deciveSN"].toString(), QString("KZ0001"));
        QCOMPARE(batch.at(1)["defaultData"]["deciveSN"].toString(), QString("KZ0002"));
    }

    void timerSendsBatchesAndSkipsEmptyTicks()
    {
        HttpManager manager(50);
        manager.report("first_page_view", {});
        manager.report("second_page_view", {});
        QTRY_COMPARE(m_server->eventBatches().size(), 1);
        QCOMPARE(parsedBatch(m_server->eventBatches().at(0)).size(), 2);

        // Several empty ticks send nothing.
        QTest::qWait(300);
        QCOMPARE(m_server->requestCount(kEventPath), 1);

        manager.report("third_pit_click", {});
        QTRY_COMPARE(m_server->eventBatches().size(), 2);
        const QJsonArray second = parsedBatch(m_server->eventBatches().at(1));
        QCOMPARE(second.size(), 1);
        QCOMPARE(second.at(0)["eventId"].toString(), QString("third_pit_click"));
    }

    void errorAnswerIsLoggedAndNotSentAgain()
    {
        m_server->setRule(kEventPath, {{"mode", "errcode"}, {"errCode", 2}, {"errMsg", "bad batch"}});
        LogCapture log;
        HttpManager manager(50);
        manager.report("rejected_pit_click", {{"n", 1}});
        manager.sendQueuedEvents(true);
        QTRY_VERIFY(log.contains("report error: "));

        const QString sent = QString::fromUtf8(m_server->eventBatches().at(0));
        QVERIFY(log.contains("report error: {\"errCode\":2,\"errMsg\":\"bad batch\"}:" + sent));

        // Ticks go on, but the rejected batch is never sent again.
        QTest::qWait(300);
        QCOMPARE(m_server->requestCount(kEventPath), 1);

        m_server->clearRules();
        manager.report("accepted_pit_click", {});
        QTRY_COMPARE(m_server->eventBatches().size(), 2);
        const QJsonArray second = parsedBatch(m_server->eventBatches().at(1));
        QCOMPARE(second.size(), 1);
        QCOMPARE(second.at(0)["eventId"].toString(), QString("accepted_pit_click"));
        QCOMPARE(log.count("report error: "), 1);
    }

    void unreadableAnswerIsLogged()
    {
        m_server->setRule(kEventPath, {{"mode", "damaged"}});
        LogCapture log;
        HttpManager manager;
        manager.report("damaged_page_view", {});
        manager.sendQueuedEvents(false);
        const QString sent = QString::fromUtf8(m_server->eventBatches().at(0));
        QVERIFY(log.contains("error evnetid: " + sent + " json parse fail"));
    }

    void unreachableServerLosesOnlyThatBatch()
    {
        m_server->stop();
        LogCapture log;
        HttpManager manager;
        manager.report("lost_page_view", {});
        manager.sendQueuedEvents(false);
        QVERIFY(log.contains("json parse fail"));
        QVERIFY(log.contains("lost_page_view"));
    }

    // The cloud server closing the connection half-way through an upload:
    // the reason is logged, the state stays sound, and the next upload goes
    // through once the server behaves again. (A download cut half-way is
    // tested with the downloads of NerevUpdate.)
    void eventUploadCutHalfWay()
    {
        m_server->setRule(kEventPath, {{"mode", "cut-upload"}});
        LogCapture log;
        HttpManager manager;
        // A batch large enough to be cut in the middle of its body.
        for (int i = 0; i < 20; ++i)
            manager.report("cut_page_view", {{"index", i}, {"padding", QString(200, QLatin1Char('x'))}});
        manager.sendQueuedEvents(false);
        QVERIFY(log.contains("event batch upload failed: "));
        QVERIFY(log.contains("cut_page_view"));
        QCOMPARE(m_server->eventBatches().size(), 0);
        // Qt tries a cut request once more on a new connection; both are cut.
        QVERIFY(m_server->requestCount(kEventPath) >= 1);

        // The server is back: the next batch arrives whole, without the lost one.
        m_server->clearRules();
        manager.report("next_page_view", {});
        manager.sendQueuedEvents(false);
        QCOMPARE(m_server->eventBatches().size(), 1);
        const QJsonArray batch = QJsonDocument::fromJson(m_server->eventBatches().at(0)).array();
        QCOMPARE(batch.size(), 1);
        QCOMPARE(batch.at(0)["eventId"].toString(), QString("next_page_view"));
    }

    void feedbackUploadCutHalfWay()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("feedback.json");
        const QByteArray feedback = QJsonDocument(QJsonObject{{"text", QString(4000, QLatin1Char('f'))},
                                                              {"contact", "user@example.invalid"}})
                                        .toJson(QJsonDocument::Compact);
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(feedback);
        }
        m_server->setRule(kFeedbackPath, {{"mode", "cut-upload"}});
        LogCapture log;
        HttpManager manager;
        manager.uploadFeedback(path, "cut feedback");
        QTRY_VERIFY(log.contains("feedback upload failed: "));
        QVERIFY(log.contains(path));
        QCOMPARE(m_server->feedbackUploads().size(), 0);
        // Nothing of the user's text is lost: the file is still there.
        QFile kept(path);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), feedback);
        kept.close();

        m_server->clearRules();
        manager.uploadFeedback(path, "cut feedback");
        QTRY_COMPARE(m_server->feedbackUploads().size(), 1);
        const QJsonArray parts = m_server->feedbackUploads().at(0)["parts"].toArray();
        QCOMPARE(parts.at(0)["body"].toString().toUtf8(), feedback);
    }

    void synchronousSendIsDoneWhenItReturns()
    {
        m_server->setRule(kEventPath, {{"mode", "errcode"}, {"errCode", 7}});
        LogCapture log;
        HttpManager manager;
        manager.report("close_pit_click", {{"why", "closeApp"}});
        manager.sendQueuedEvents(false);
        // No waiting: the batch has arrived and its answer has been handled.
        QCOMPARE(m_server->eventBatches().size(), 1);
        QCOMPARE(parsedBatch(m_server->eventBatches().at(0)).at(0)["extraData"]["why"].toString(),
                 QString("closeApp"));
        QVERIFY(log.contains("report error: {\"errCode\":7"));
    }

    void reportIsSafeFromManyThreads()
    {
        HttpManager manager;
        constexpr int kThreads = 4;
        constexpr int kEach = 100;
        std::vector<std::unique_ptr<QThread>> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back(QThread::create([&manager, t]() {
                for (int i = 0; i < kEach; ++i)
                    manager.report(QString("thread%1_pit_click").arg(t), {{"i", i}});
            }));
            threads.back()->start();
        }
        for (auto& thread : threads)
            QVERIFY(thread->wait(10000));
        manager.sendQueuedEvents(false);

        QCOMPARE(m_server->eventBatches().size(), 1);
        const QJsonArray batch = parsedBatch(m_server->eventBatches().at(0));
        QCOMPARE(batch.size(), kThreads * kEach);
        QVector<int> next(kThreads, 0);
        for (const QJsonValue& record : batch) {
            const int t = record["eventId"].toString().mid(6, 1).toInt();
            QCOMPARE(record["extraData"]["i"].toInt(), next[t]);
            ++next[t];
        }
    }

    void feedbackCarriesExactlyTwoPartsFileFirst()
    {
        QTemporaryDir dir;
        const QByteArray content = QString("{\"contact\":\"qq 123\",\"text\":\"画面卡顿\",\"log\":\"x\"}").toUtf8();
        const QString path = dir.filePath("feedback.json");
        CloudServer::writeWhole(path, content);

        LogCapture log;
        HttpManager manager;
        manager.uploadFeedback(path, QString("反馈_20261208"));
        QTRY_COMPARE(m_server->feedbackUploads().size(), 1);

        const QJsonObject upload = m_server->feedbackUploads().at(0);
        QVERIFY(upload["contentType"].toString().startsWith("multipart/form-data; boundary="));
        const QJsonArray parts = upload["parts"].toArray();
        QCOMPARE(parts.size(), 2);

        const QJsonArray fileHeaders = parts.at(0)["headers"].toArray();
        QCOMPARE(fileHeaders.size(), 2);
        QCOMPARE(CloudServer::header(fileHeaders, "Content-Disposition"),
                 QString("form-data;name=\"file\";filename=\".json\""));
        QCOMPARE(CloudServer::header(fileHeaders, "Content-Type"), QString("multipart/form-data;"));
        QCOMPARE(parts.at(0)["body"].toString().toUtf8(), content);

        const QJsonArray nameHeaders = parts.at(1)["headers"].toArray();
        QCOMPARE(nameHeaders.size(), 1);
        QCOMPARE(CloudServer::header(nameHeaders, "Content-Disposition"), QString("form-data;name=\"fileName\""));
        QCOMPARE(parts.at(1)["body"].toString(), QString("反馈_20261208"));

        QTest::qWait(100);
        QVERIFY(!log.contains("json parse fail"));
    }

    void feedbackErrorAnswerIsLogged()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("feedback.json");
        CloudServer::writeWhole(path, "{}");
        m_server->setRule(kFeedbackPath, {{"mode", "errcode"}, {"errCode", 3}, {"errMsg", "file too large"}});
        LogCapture log;
        HttpManager manager;
        manager.uploadFeedback(path, "big");
        QTRY_VERIFY(log.contains("file too large:" + m_server->baseUrl() + kFeedbackPath));

        m_server->setRule(kFeedbackPath, {{"mode", "damaged"}});
        manager.uploadFeedback(path, "damaged");
        QTRY_VERIFY(log.contains(m_server->baseUrl() + kFeedbackPath + " json parse fail"));
    }

    void missingFeedbackFileSendsNothing()
    {
        QTemporaryDir dir;
        LogCapture log;
        HttpManager manager;
        manager.uploadFeedback(dir.filePath("absent.json"), "absent");
        QVERIFY(log.contains("feedback file cannot be read: "));
        QTest::qWait(100);
        QCOMPARE(m_server->requestCount(kFeedbackPath), 0);
    }

    void instanceIsOneObject()
    {
        QCOMPARE(HttpManager::instance(), HttpManager::instance());
        HttpManager::instance()->report("instance_page_view", {});
        HttpManager::instance()->sendQueuedEvents(false);
        QCOMPARE(m_server->eventBatches().size(), 1);
    }

private:
    std::unique_ptr<CloudServer> m_server;
};

QTEST_GUILESS_MAIN(TestHttpManager)
#include "tst_httpmanager.moc"
