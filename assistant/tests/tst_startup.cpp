// Start-up pieces: the log line format, the daily files and the midnight
// split, line integrity under threads, and the choice of the translation.
#include "appstartup.h"
#include "logmessagehandler.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QThread>
#include <QTranslator>
#include <QtTest>

#include <vector>

namespace {

QStringList warnings;

void captureHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtWarningMsg)
        warnings << message;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_oldCwd;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_oldCwd = QDir::currentPath();
    }
    void cleanup()
    {
        setLogClock({});
        qInstallMessageHandler(nullptr);
        qunsetenv("OSTREL_USER_DIR");
        QDir::setCurrent(m_oldCwd);
    }

    void lineFormat()
    {
        const QTime time(9, 15, 2, 4);
        QMessageLogContext none;
        QCOMPARE(formatLogLine(QtInfoMsg, none, "init end", time), QString("[Info:09:15:02.004  \"(0)\"]:init end"));
        QMessageLogContext located("src/nerevmanager.cpp", 412, "void f()", "default");
        QCOMPARE(formatLogLine(QtWarningMsg, located, "x", time),
                 QString("[Warning:09:15:02.004  \"src/nerevmanager.cpp(412)\"]:x"));
        QCOMPARE(formatLogLine(QtDebugMsg, none, "", QTime(23, 59, 59, 999)), QString("[Debug:23:59:59.999  \"(0)\"]:"));
        QCOMPARE(formatLogLine(QtCriticalMsg, none, "c", time).left(10), QString("[Critical:"));
        QCOMPARE(formatLogLine(QtFatalMsg, none, "f", time).left(7), QString("[Fatal:"));
        QCOMPARE(formatLogLine(QtMsgType(42), none, "odd", time), QString("[09:15:02.004  \"(0)\"]:odd"));
        // Placeholders inside the message are text, not arguments.
        QCOMPARE(formatLogLine(QtInfoMsg, none, "rate %1 of %2", time), QString("[Info:09:15:02.004  \"(0)\"]:rate %1 of %2"));
    }

    void midnightSplitsTheFiles()
    {
        const QString folder = m_dir.path() + "/midnight/not/created/yet";
        qputenv("OSTREL_USER_DIR", folder.toUtf8());
        QDateTime now(QDate(2024, 3, 31), QTime(23, 59, 59, 999));
        setLogClock([&now] { return now; });
        qInstallMessageHandler(logMessageHandler);
        qInfo() << "last of the day";
        now = QDateTime(QDate(2024, 4, 1), QTime(0, 0, 0, 0));
        qWarning() << "first of the next";
        qInstallMessageHandler(nullptr);

        QCOMPARE(logFilePath(QDate(2024, 4, 1)), folder + "/2024-04-01.txt");
        const QByteArray first = readAll(folder + "/2024-03-31.txt");
        const QByteArray second = readAll(folder + "/2024-04-01.txt");
        QVERIFY2(first.startsWith("[Info:23:59:59.999  \""), first.constData());
        QVERIFY(first.endsWith("]:last of the day\r\n"));
        QCOMPARE(first.count("\r\n"), 1);
        QVERIFY2(second.startsWith("[Warning:00:00:00.000  \""), second.constData());
        QVERIFY(second.endsWith("]:first of the next\r\n"));
    }

    void linesAppendAndStayWholeUnderThreads()
    {
        const QString folder = m_dir.path() + "/threads";
        qputenv("OSTREL_USER_DIR", folder.toUtf8());
        const QDateTime fixed(QDate(2024, 5, 5), QTime(12, 0));
        setLogClock([fixed] { return fixed; });
        qInstallMessageHandler(logMessageHandler);
        qInfo() << "before";
        constexpr int kThreads = 4;
        constexpr int kLines = 150;
        std::vector<QThread *> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.push_back(QThread::create([t] {
                for (int i = 0; i < kLines; ++i)
                    qInfo().noquote() << QString("thread %1 line %2 ").arg(t).arg(i) + QString(40, QChar('x'));
            }));
            threads.back()->start();
        }
        for (QThread *thread : threads) {
            QVERIFY(thread->wait(20000));
            delete thread;
        }
        qInstallMessageHandler(nullptr);

        const QList<QByteArray> lines = readAll(folder + "/2024-05-05.txt").split('\n');
        QCOMPARE(lines.size(), kThreads * kLines + 2); // + "before" + the empty tail
        QVERIFY(lines.first().endsWith("]:before \r") || lines.first().endsWith("]:before\r"));
        for (int i = 1; i < lines.size() - 1; ++i) {
            QVERIFY2(lines[i].startsWith("[Info:12:00:00.000  \"") && lines[i].endsWith(QByteArray(40, 'x') + "\r"),
                     lines[i].constData());
        }
    }

    void translationFileByLanguage()
    {
        QCOMPARE(AppStartup::translationFileFor(QLocale::Japanese), QString("japanese.qm"));
        QCOMPARE(AppStartup::translationFileFor(QLocale::Chinese), QString());
        QCOMPARE(AppStartup::translationFileFor(QLocale::English), QString("chinese.qm"));
        QCOMPARE(AppStartup::translationFileFor(QLocale::German), QString("chinese.qm"));
    }

    void missingTranslationKeepsChineseAndWarns()
    {
        QTemporaryDir empty;
        QVERIFY(QDir::setCurrent(empty.path()));
        warnings.clear();
        qInstallMessageHandler(captureHandler);
        QVERIFY(!AppStartup::installTranslation(*qApp, QLocale(QLocale::Japanese, QLocale::Japan)));
        QVERIFY(!AppStartup::installTranslation(*qApp, QLocale(QLocale::English, QLocale::UnitedStates)));
        qInstallMessageHandler(nullptr);
        QCOMPARE(warnings, QStringList({ "japanese load fail", "english load fail" }));
        QCOMPARE(qApp->translate("SingleAppTip", "确定"), QString("确定"));
    }

    void translationsLoadFromTheWorkingFolder()
    {
        QTemporaryDir cwd;
        for (const char *name : { "chinese.qm", "japanese.qm" })
            QVERIFY(QFile::copy(QString(OSTREL_ASSISTANT_BIN_DIR) + "/" + name, cwd.path() + "/" + name));
        QVERIFY(QDir::setCurrent(cwd.path()));

        QVERIFY(!AppStartup::installTranslation(*qApp, QLocale(QLocale::Chinese, QLocale::China)));
        QCOMPARE(qApp->translate("SingleAppTip", "应用程序已打开"), QString("应用程序已打开"));

        QTranslator *english = AppStartup::installTranslation(*qApp, QLocale(QLocale::English, QLocale::UnitedKingdom));
        QVERIFY(english);
        QCOMPARE(english->parent(), qApp);
        QCOMPARE(qApp->translate("SingleAppTip", "应用程序已打开"), QString("The program is already open"));
        qApp->removeTranslator(english);

        QTranslator *japanese = AppStartup::installTranslation(*qApp, QLocale(QLocale::Japanese, QLocale::Japan));
        QVERIFY(japanese);
        QCOMPARE(qApp->translate("mainWindow", "串流助手"), QString("ストリーミングアシスタント"));
        qApp->removeTranslator(japanese);
    }

    void instanceNameCanBeOverridden()
    {
        qunsetenv("OSTREL_INSTANCE_NAME");
        QCOMPARE(AppStartup::instanceGuardName(), QString("OSTREL_Streaming_Assistant"));
        qputenv("OSTREL_INSTANCE_NAME", "test_guard_42");
        QCOMPARE(AppStartup::instanceGuardName(), QString("test_guard_42"));
        qunsetenv("OSTREL_INSTANCE_NAME");
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
