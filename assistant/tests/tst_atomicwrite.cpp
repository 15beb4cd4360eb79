// Crash test of the whole-file writes: a writer process is killed at random
// moments, many times; after every kill each file must still parse and hold
// its members. OSTREL_CRASH_ROUNDS sets the number of kills (default 30).
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace {

QJsonObject parse(const QString &path, QString *problem)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = path + " is missing";
        return {};
    }
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        *problem = path + " does not parse: " + error.errorString();
    return document.object();
}

void writeJson(const QString &path, const QJsonObject &root)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QJsonDocument(root).toJson());
}

} // namespace

class TestAtomicWrite : public QObject {
    Q_OBJECT

private slots:
    void killedWriterNeverLeavesHalfAFile()
    {
        QTemporaryDir dir;
        const QString user = dir.path() + "/user";
        const QString cwd = dir.path() + "/cwd";
        const QString home = dir.path() + "/home";
        QDir().mkpath(user);
        QDir().mkpath(cwd);
        const QString session = cwd + "/session.json";
        const QString vrpath = QString::fromStdString(platform::openvrPathRegistryFile(home.toStdString()));

        // Large members that are never edited make each write take a while.
        QJsonArray padding;
        for (int i = 0; i < 4000; ++i)
            padding.append(QString("streamer state %1 ").arg(i) + QString(40, QChar('s')));
        writeJson(session, QJsonObject {
            { "padding", padding },
            { "openvr_config", QJsonObject { { "refresh_rate", 72 } } },
            { "sessionSettings", QJsonObject {
                { "video", QJsonObject { { "preferredFps", 72 } } },
                { "audio", QJsonObject { { "microphone", QJsonObject { { "enabled", false } } } } },
                { "headset", QJsonObject { { "serialNumber", "" } } } } } });
        writeJson(vrpath, QJsonObject { { "runtime", QJsonArray { "/steamvr" } }, { "padding", padding },
                                        { "external_drivers", QJsonArray() } });

        writeJson(user + "/set.json", QJsonObject { { "KZ", QJsonObject() }, { "lastSn", "KZ77777" } });
        QFile initialRecent(user + "/setting.inf");
        QVERIFY(initialRecent.open(QIODevice::WriteOnly));
        initialRecent.write(QString(QString(50000, 'a') + ";Living room").toUtf8());
        initialRecent.close();

        const int rounds = qEnvironmentVariableIsSet("OSTREL_CRASH_ROUNDS")
            ? qEnvironmentVariableIntValue("OSTREL_CRASH_ROUNDS") : 30;
        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        int killsInsideWrites = 0;
        for (int round = 0; round < rounds; ++round) {
            QProcess writer;
            writer.start(QString(OSTREL_TEST_HELPERS_DIR) + "/atomic_writer", { user, cwd, home });
            QVERIFY(writer.waitForStarted(20000));
            // Timed from its first rewrite: a process takes long to start under Wine.
            QVERIFY(writer.waitForReadyRead(20000));
            QThread::msleep(random.bounded(300u));
            writer.kill();
            QVERIFY(writer.waitForFinished(20000));
            const QList<QByteArray> steps = writer.readAllStandardOutput().split('\n');
            // (Windows ends its lines with "\r\n".)
            if (steps.size() >= 2 && steps[steps.size() - 2].trimmed() == "begin")
                ++killsInsideWrites;

            QString problem;
            const QJsonObject settings = parse(user + "/set.json", &problem);
            QVERIFY2(problem.isEmpty(), qPrintable(QString("round %1, seed %2: %3").arg(round).arg(seed).arg(problem)));
            QVERIFY(settings.value("KZ").isObject());
            QVERIFY(settings.value("lastSn").toString().startsWith("KZ77777"));
            const QJsonObject sessionRoot = parse(session, &problem);
            QVERIFY2(problem.isEmpty(), qPrintable(QString("round %1, seed %2: %3").arg(round).arg(seed).arg(problem)));
            QCOMPARE(sessionRoot.value("padding").toArray().size(), padding.size());
            QVERIFY(sessionRoot.value("sessionSettings").toObject().value("video").isObject());
            const QJsonObject vrpathRoot = parse(vrpath, &problem);
            QVERIFY2(problem.isEmpty(), qPrintable(QString("round %1, seed %2: %3").arg(round).arg(seed).arg(problem)));
            QCOMPARE(vrpathRoot.value("runtime").toArray(), QJsonArray({ "/steamvr" }));
            QCOMPARE(vrpathRoot.value("padding").toArray().size(), padding.size());
            QFile recent(user + "/setting.inf");
            QVERIFY(recent.open(QIODevice::ReadOnly));
            const QByteArray names = recent.readAll();
            QVERIFY2(names == QString(QString(50000, 'a') + ";Living room").toUtf8()
                         || names == QString("Office;" + QString(70000, 'b')).toUtf8(),
                     qPrintable(QString("round %1: setting.inf holds %2 bytes").arg(round).arg(names.size())));
        }
        qInfo("crash test: %d kills, %d of them inside a file rewrite, every file parsed after each; seed %u", rounds,
              killsInsideWrites, seed);
        QVERIFY2(killsInsideWrites > 0, "no kill landed inside a rewrite, so the test proved nothing");
    }
};

QTEST_GUILESS_MAIN(TestAtomicWrite)
#include "tst_atomicwrite.moc"
