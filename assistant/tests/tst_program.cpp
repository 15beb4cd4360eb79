// The real program, started twice: the second start shows only the notice and
// ends by itself; a killed first instance does not block the next start.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestProgram : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_guardName;

    void startProgram(QProcess &process)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("QT_QUICK_BACKEND", "software");
        env.insert("OSTREL_USER_DIR", m_dir.path() + "/user");
        env.insert("OSTREL_INSTANCE_NAME", m_guardName);
        // No cloud here: the update checker's requests fail at once.
        env.insert("OSTREL_CLOUD_URL", "http://127.0.0.1:9");
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(m_dir.path());
        process.start(QString(OSTREL_ASSISTANT_BIN_DIR) + "/OSTREL_Streaming_Assistant", QStringList());
        QVERIFY(process.waitForStarted(20000));
    }

    // Every line of every daily log file.
    QString logText() const
    {
        QString text;
        QDirIterator it(m_dir.path() + "/user", { "*.txt" }, QDir::Files);
        while (it.hasNext()) {
            QFile file(it.next());
            if (file.open(QIODevice::ReadOnly))
                text += QString::fromUtf8(file.readAll());
        }
        return text;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_guardName = QString("ostrel_program_test_%1").arg(QCoreApplication::applicationPid());
    }

    void secondStartOnlyShowsTheNotice()
    {
        QProcess first;
        startProgram(first);
        QTRY_VERIFY_WITH_TIMEOUT(logText().count("json language: ") == 1, 20000);
        QVERIFY2(QDir(m_dir.path() + "/user").exists(), "the per-user folder is created on a first start");

        QProcess second;
        startProgram(second);
        QVERIFY2(second.waitForFinished(20000), "the notice closes itself and ends the second process");
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(logText().count("json language: "), 1);
        QCOMPARE(first.state(), QProcess::Running);

        // A crash of the first instance leaves nothing that blocks the next start.
        first.kill();
        QVERIFY(first.waitForFinished(20000));
        QProcess third;
        startProgram(third);
        QTRY_VERIFY_WITH_TIMEOUT(logText().count("json language: ") == 2, 20000);
        QVERIFY(!third.waitForFinished(500));
        third.kill();
        QVERIFY(third.waitForFinished(20000));

        const QString log = logText();
        QVERIFY2(log.contains(QRegularExpression("\\[Info:\\d\\d:\\d\\d:\\d\\d\\.\\d{3}  \"[^\"]*\\(\\d+\\)\"\\]:json language: ")),
                 qPrintable(log));
        QVERIFY(log.contains("english load fail") || log.contains("japanese load fail") || !log.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
