// The signal block between the assistant and the streamer's driver, within
// one process and across two.
#include "sharedmemorychannel.h"

#include <QProcess>
#include <QtTest>

#include <atomic>
#include <thread>

class TestSharedMemoryChannel : public QObject {
    Q_OBJECT

private:
    int m_counter = 0;
    QString m_block;
    QString m_mutex;

    QString runPeer(const QStringList &args)
    {
        QProcess peer;
        peer.start(QString(OSTREL_TEST_HELPERS_DIR) + "/shared_block_peer", QStringList { m_block, m_mutex } + args);
        if (!peer.waitForFinished(20000) || peer.exitCode() != 0)
            return "peer failed";
        return QString::fromUtf8(peer.readAllStandardOutput()).trimmed();
    }

private slots:
    void init()
    {
        const QString stem = QString("ostrel_tst_%1_%2").arg(QCoreApplication::applicationPid()).arg(++m_counter);
        m_block = stem + "_block";
        m_mutex = stem + "_mutex";
    }
    void cleanup() { platform::SharedBlock::removeNames(m_block.toStdString(), m_mutex.toStdString()); }

    void defaultNamesAndOverrides()
    {
        qunsetenv("OSTREL_SHARED_BLOCK");
        qunsetenv("OSTREL_SHARED_MUTEX");
        QCOMPARE(SharedMemoryChannel::defaultBlockName(), QString("OSTREL_VOZEMemory"));
        QCOMPARE(SharedMemoryChannel::defaultMutexName(), QString("OSTREL_VOZEData_Mutex"));
        qputenv("OSTREL_SHARED_BLOCK", "b");
        qputenv("OSTREL_SHARED_MUTEX", "m");
        QCOMPARE(SharedMemoryChannel::defaultBlockName(), QString("b"));
        QCOMPARE(SharedMemoryChannel::defaultMutexName(), QString("m"));
        qunsetenv("OSTREL_SHARED_BLOCK");
        qunsetenv("OSTREL_SHARED_MUTEX");
    }

    void unopenedChannelRefusesEverything()
    {
        SharedMemoryChannel channel(m_block, m_mutex);
        QVERIFY(!channel.isReady());
        quint32 value = 7;
        QVERIFY(!channel.readValue(value));
        QVERIFY(!channel.writeValue(1));
        QCOMPARE(value, 7u);
    }

    void failedOpenLeavesTheChannelNotReady()
    {
        // A name longer than POSIX accepts; on Windows one in a namespace that does not exist.
#ifdef Q_OS_WIN
        SharedMemoryChannel channel(QStringLiteral("NoSuchNamespace\\") + m_block, m_mutex);
#else
        SharedMemoryChannel channel(QString(300, QChar('x')), m_mutex);
#endif
        QVERIFY(!channel.open());
        QVERIFY(!channel.isReady());
        QVERIFY(!channel.writeValue(1));
    }

    void flagZeroLeavesTheOutValueAlone()
    {
        SharedMemoryChannel channel(m_block, m_mutex);
        QVERIFY(channel.open());
        quint32 value = 0xDEADBEEF;
        QVERIFY(!channel.readValue(value));
        QCOMPARE(value, 0xDEADBEEFu);
    }

    void writtenValueStaysReadable()
    {
        SharedMemoryChannel channel(m_block, m_mutex);
        QVERIFY(channel.open());
        QVERIFY(channel.writeValue(0x01020304));
        quint32 value = 0;
        QVERIFY(channel.readValue(value));
        QCOMPARE(value, 0x01020304u);
        value = 0;
        QVERIFY2(channel.readValue(value), "reading does not consume the value");
        QCOMPARE(value, 0x01020304u);
        channel.close();
        QVERIFY(!channel.isReady());
        QVERIFY(!channel.readValue(value));
    }

    void secondOpenerKeepsTheContents()
    {
        SharedMemoryChannel first(m_block, m_mutex);
        QVERIFY(first.open());
        QVERIFY(first.writeValue(1));
        SharedMemoryChannel second(m_block, m_mutex);
        QVERIFY(second.open());
        quint32 value = 0;
        QVERIFY(second.readValue(value));
        QCOMPARE(value, 1u);
    }

    void streamerProcessSignalsTheAssistant()
    {
        SharedMemoryChannel assistant(m_block, m_mutex);
        QVERIFY(assistant.open());
        // A 1 left by an earlier run no longer counts once 0 is written.
        QVERIFY(assistant.writeValue(0));
        QCOMPARE(runPeer({ "read" }), QString("0"));
        QCOMPARE(runPeer({ "write", "1" }), QString("written"));
        quint32 value = 0;
        QVERIFY(assistant.readValue(value));
        QCOMPARE(value, 1u);
    }

    void firstProcessToOpenFindsTheBlockZeroed()
    {
        QCOMPARE(runPeer({ "read" }), QString("none"));
        // The peer has ended, so the next opener is first again.
        QCOMPARE(runPeer({ "write", "5" }), QString("written"));
        QCOMPARE(runPeer({ "read" }), QString("none"));
    }

    void pollerThreadSeesTheGuiThreadsWrite()
    {
        SharedMemoryChannel channel(m_block, m_mutex);
        QVERIFY(channel.open());
        QVERIFY(channel.writeValue(0));
        std::atomic<bool> seen { false };
        std::thread poller([&] {
            for (int i = 0; i < 2000 && !seen; ++i) {
                quint32 value = 0;
                channel.readValue(value);
                if (value == 1)
                    seen = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
        QCOMPARE(runPeer({ "write", "1" }), QString("written"));
        poller.join();
        QVERIFY(seen);
    }
};

QTEST_GUILESS_MAIN(TestSharedMemoryChannel)
#include "tst_sharedmemorychannel.moc"
