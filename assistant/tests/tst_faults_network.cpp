// The cloud server (tools/cloud-server, a real process on loopback) closing
// the connection half-way through an upload: the event batch and the
// feedback upload each log why, the program's state stays sound, and the
// next upload goes through once the server behaves again. (A download cut
// half-way is covered where the downloads are tested: the installer leaves
// nothing behind and is fetched anew, the GPU table stays as it was.)
#include "cloudserverprocess.h"
#include "httpmanager.h"

#include <QtTest>

#include <memory>

namespace {
const char kEventPath[] = "/vrmcsys/datacenter/streaming_data_upload";
const char kFeedbackPath[] = "/vrmcsys/fileserver/StreamAssistant/upload";
} // namespace

class TestFaultsNetwork : public QObject
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

private:
    std::unique_ptr<CloudServer> m_server;
};

QTEST_GUILESS_MAIN(TestFaultsNetwork)
#include "tst_faults_network.moc"
