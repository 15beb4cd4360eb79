// The controller's sequence queue: sequences in order and never interleaved,
// pauses and blocking calls that leave the event loop running, and an exit
// that waits for the worker and runs nothing more.
#include "sequencequeue.h"

#include <QAtomicInt>
#include <QThread>
#include <QTimer>
#include <QtTest>

using Done = SequenceQueue::Done;

class TestSequenceQueue : public QObject
{
    Q_OBJECT

private slots:
    void sequencesRunOneAfterAnother()
    {
        QObject context;
        SequenceQueue queue(&context);
        QStringList steps;
        queue.enqueue("a", [&](Done done) {
            steps << "a begins";
            queue.wait(100, [&, done] {
                steps << "a ends";
                done();
            });
        });
        queue.enqueue("b", [&](Done done) {
            steps << "b";
            done();
        });
        queue.enqueue("c", [&](Done done) {
            steps << "c begins";
            queue.offThread([] { QThread::msleep(100); }, [&, done] {
                steps << "c ends";
                done();
            });
        });
        QCOMPARE(steps, QStringList { "a begins" });
        QVERIFY(queue.busy());
        QCOMPARE(queue.queued(), 2);
        QTRY_VERIFY(!queue.busy());
        QCOMPARE(steps, (QStringList { "a begins", "a ends", "b", "c begins", "c ends" }));
    }

    void anIdleQueueRunsASequenceWithinTheCall()
    {
        QObject context;
        SequenceQueue queue(&context);
        bool ran = false;
        queue.enqueue("at once", [&](Done done) {
            ran = true;
            done();
        });
        QVERIFY(ran);
        QVERIFY(!queue.busy());
    }

    void manySequencesEndingAtOnceDoNotNest()
    {
        QObject context;
        SequenceQueue queue(&context);
        bool release = false;
        queue.enqueue("gate", [&](Done done) { queue.wait(10, [&, done] { release = true; done(); }); });
        int count = 0;
        // Each queued sequence is logged; not worth printing here.
        const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
        for (int i = 0; i < 100000; ++i)
            queue.enqueue("quick", [&](Done done) {
                ++count;
                done();
            });
        qInstallMessageHandler(previous);
        QTRY_COMPARE(count, 100000);
        QVERIFY(release);
    }

    void theEventLoopRunsWhileABlockingCallWaits()
    {
        QObject context;
        SequenceQueue queue(&context);
        QThread *worker = nullptr;
        QThread *continuation = nullptr;
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.setTimerType(Qt::PreciseTimer); // Windows rounds a coarse one up to its tick
        timer.start(10);
        queue.enqueue("blocking", [&](Done done) {
            queue.offThread([&] { worker = QThread::currentThread(); QThread::msleep(300); },
                            [&, done] {
                                continuation = QThread::currentThread();
                                done();
                            });
        });
        QTRY_VERIFY(!queue.busy());
        QVERIFY(worker && worker != QThread::currentThread());
        QCOMPARE(continuation, QThread::currentThread());
        QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
    }

    void shutdownWaitsForTheWorkerAndRunsNothingMore()
    {
        QObject context;
        auto queue = std::make_unique<SequenceQueue>(&context);
        QAtomicInt blockingDone = 0;
        bool continued = false;
        bool queuedRan = false;
        bool waitRan = false;
        queue->enqueue("stop", [&](Done done) {
            queue->offThread([&] { QThread::msleep(200); blockingDone = 1; }, [&, done] {
                continued = true;
                done();
            });
        });
        queue->enqueue("behind", [&](Done done) {
            queuedRan = true;
            done();
        });
        queue->wait(50, [&] { waitRan = true; });
        queue->shutdown();
        QCOMPARE(blockingDone.loadAcquire(), 1);
        queue->enqueue("after", [&](Done done) {
            queuedRan = true;
            done();
        });
        QTest::qWait(300);
        QVERIFY(!continued);
        QVERIFY(!queuedRan);
        QVERIFY(!waitRan);
    }

    void aSecondDoneIsIgnored()
    {
        QObject context;
        SequenceQueue queue(&context);
        Done first;
        int second = 0;
        queue.enqueue("first", [&](Done done) { first = done; });
        queue.enqueue("second", [&](Done done) {
            ++second;
            queue.wait(100, done);
        });
        first();
        QCOMPARE(second, 1);
        QTest::ignoreMessage(QtWarningMsg, "sequence finished twice: second");
        first();
        QCOMPARE(second, 1);
        QVERIFY(queue.busy());
        QTRY_VERIFY(!queue.busy());
    }
};

QTEST_GUILESS_MAIN(TestSequenceQueue)
#include "tst_sequencequeue.moc"
