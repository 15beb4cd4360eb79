// The window on small screens and without OpenGL: the content scale and
// placement rules, then the real start-up path in ui_probe on virtual X
// displays of several sizes and scale factors (Xvfb), and a Qt Quick window
// drawing on a platform without OpenGL.
#include "appstartup.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

namespace {

const QString kProbe = QString(OSTREL_TEST_HELPERS_DIR) + "/ui_probe";

QRectF rectOf(const QJsonValue &value)
{
    const QJsonArray a = value.toArray();
    return QRectF(a.at(0).toDouble(), a.at(1).toDouble(), a.at(2).toDouble(), a.at(3).toDouble());
}

bool within(const QRectF &inner, const QRectF &outer)
{
    return inner.left() >= outer.left() - 0.5 && inner.top() >= outer.top() - 0.5
        && inner.right() <= outer.right() + 0.5 && inner.bottom() <= outer.bottom() + 0.5;
}

QList<QJsonObject> jsonLines(const QByteArray &output)
{
    QList<QJsonObject> lines;
    for (const QByteArray &line : output.split('\n'))
        if (line.startsWith('{'))
            lines << QJsonDocument::fromJson(line).object();
    return lines;
}

// An X server of its own on a free display (Xvfb picks it: -displayfd), at
// 96 dpi like a screen at 100 %; QT_SCALE_FACTOR gives the larger scales.
class VirtualDisplay {
public:
    ~VirtualDisplay()
    {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            if (!m_server.waitForFinished(5000))
                m_server.kill();
            m_server.waitForFinished(5000);
        }
    }
    bool start(const QSize &size)
    {
        m_server.start("Xvfb", { "-displayfd", "1", "-screen", "0", QStringLiteral("%1x%2x24").arg(size.width()).arg(size.height()),
                                 "-dpi", "96", "-nolisten", "tcp" });
        if (!m_server.waitForStarted(10000))
            return false;
        QByteArray number;
        QElapsedTimer timer;
        timer.start();
        while (!number.contains('\n') && timer.elapsed() < 20000) {
            m_server.waitForReadyRead(500);
            number += m_server.readAllStandardOutput();
        }
        m_display = ":" + QString::fromLatin1(number.trimmed());
        return number.contains('\n');
    }
    QString display() const { return m_display; }

private:
    QProcess m_server;
    QString m_display;
};

QProcessEnvironment probeEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The probe makes the renderer choice itself, as the program does.
    env.remove("QT_QUICK_BACKEND");
    env.remove("QMLSCENE_DEVICE");
    return env;
}

} // namespace

class TestUiFit : public QObject {
    Q_OBJECT

private slots:
    void contentScale()
    {
        QCOMPARE(AppStartup::contentScaleFor(QSize(1920, 1040)), 1.0);
        QCOMPARE(AppStartup::contentScaleFor(QSize(1360, 875)), 1.0);
        QCOMPARE(AppStartup::contentScaleFor(QSize(1366, 728)), 0.832);       // 728 / 875, rounded down
        QCOMPARE(AppStartup::contentScaleFor(QSize(1280, 680)), 0.777);       // 150 % of 1920 x 1080, taskbar
        QCOMPARE(AppStartup::contentScaleFor(QSize(1024, 900)), 0.752);       // width limited
        QCOMPARE(AppStartup::contentScaleFor(QSize()), 1.0);
        // The scaled window never exceeds the area.
        for (const QSize area : { QSize(1366, 728), QSize(1280, 680), QSize(1024, 900), QSize(1111, 777) }) {
            const qreal s = AppStartup::contentScaleFor(area);
            QVERIFY(qRound(1360 * s) <= area.width());
            QVERIFY(qRound(875 * s) <= area.height());
        }
    }

    void placement()
    {
        QCOMPARE(AppStartup::placementIn(QRect(0, 0, 1920, 1040), QSize(1360, 875)), QPoint(280, 82));
        // A window that just fits starts at the area's corner, below a top panel.
        QCOMPARE(AppStartup::placementIn(QRect(0, 32, 1366, 736), QSize(1366, 736)), QPoint(0, 32));
        // Larger than the area: kept at its top-left so the title bar stays reachable.
        QCOMPARE(AppStartup::placementIn(QRect(1920, 0, 1280, 720), QSize(1360, 875)), QPoint(1920, 0));
    }

    void quickDrawsWithoutOpenGL()
    {
        // The offscreen platform offers no OpenGL here, like a virtual machine
        // or a remote desktop without a driver.
        QProcess probe;
        QProcessEnvironment env = probeEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        probe.setProcessEnvironment(env);
        probe.start(kProbe, { "gl" });
        QVERIFY(probe.waitForFinished(60000));
        const QByteArray err = probe.readAllStandardError();
        const QList<QJsonObject> lines = jsonLines(probe.readAllStandardOutput());
        QVERIFY2(probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0, err.constData());
        QCOMPARE(lines.size(), 1);
        QVERIFY(lines.first().value("frame").toBool());
        if (!lines.first().value("softwareChosen").toBool())
            QSKIP("this platform has a working OpenGL: nothing to fall back from");
        QVERIFY(lines.first().value("software").toBool());
        QVERIFY2(err.contains("OpenGL is not available: Qt Quick draws with its software renderer"), err.constData());

        // Without the choice Qt Quick ends the process at its first window.
        QProcess unguarded;
        unguarded.setProcessEnvironment(env);
        unguarded.start(kProbe, { "gl", "--no-fallback" });
        QVERIFY(unguarded.waitForFinished(60000));
        QVERIFY2(unguarded.exitStatus() == QProcess::CrashExit || unguarded.exitCode() != 0,
                 "a window without OpenGL and without the fallback drew a frame");
    }

    void fitsTheScreen_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QString>("scaleFactor");
        QTest::addColumn<bool>("designSize");
        QTest::newRow("1366x768 laptop") << QSize(1366, 768) << QString() << false;
        QTest::newRow("1366x728 (768 less a taskbar)") << QSize(1366, 728) << QString() << false;
        QTest::newRow("1920x1080 at 150%") << QSize(1920, 1080) << QString("1.5") << false;
        QTest::newRow("1280x720") << QSize(1280, 720) << QString() << false;
        QTest::newRow("1024x768") << QSize(1024, 768) << QString() << false;
        QTest::newRow("1360x875 exactly") << QSize(1360, 875) << QString() << true;
        QTest::newRow("1920x1080 at 100%") << QSize(1920, 1080) << QString() << true;
        QTest::newRow("2560x1440 at 125%") << QSize(2560, 1440) << QString("1.25") << true;
    }
    void fitsTheScreen()
    {
        QFETCH(QSize, screen);
        QFETCH(QString, scaleFactor);
        QFETCH(bool, designSize);
        if (QStandardPaths::findExecutable("Xvfb").isEmpty())
            QSKIP("Xvfb is not installed");
        VirtualDisplay display;
        QVERIFY(display.start(screen));

        QProcess probe;
        QProcessEnvironment env = probeEnvironment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("DISPLAY", display.display());
        if (!scaleFactor.isEmpty())
            env.insert("QT_SCALE_FACTOR", scaleFactor);
        probe.setProcessEnvironment(env);
        probe.start(kProbe, { "fit" });
        QVERIFY(probe.waitForFinished(60000));
        const QByteArray err = probe.readAllStandardError();
        QVERIFY2(probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0, err.constData());
        const QList<QJsonObject> lines = jsonLines(probe.readAllStandardOutput());
        QVERIFY2(lines.size() >= 5, err.constData());

        const QJsonObject head = lines.first();
        const QRectF available = rectOf(head.value("available"));
        const QRectF window = rectOf(head.value("window"));
        const qreal scale = head.value("scale").toDouble();
        qInfo().noquote() << QStringLiteral("screen %1x%2%3: area %4x%5, content scale %6, window %7x%8 at %9,%10")
                                 .arg(screen.width()).arg(screen.height())
                                 .arg(scaleFactor.isEmpty() ? QString() : " x" + scaleFactor)
                                 .arg(available.width()).arg(available.height()).arg(scale)
                                 .arg(window.width()).arg(window.height()).arg(window.x()).arg(window.y());
        QCOMPARE(scale, AppStartup::contentScaleFor(available.size().toSize()));
        QVERIFY2(within(window, available), "the main window fits the screen");
        if (designSize) {
            QCOMPARE(scale, 1.0);
            QCOMPARE(window.size(), QSizeF(1360, 875));
        } else {
            QVERIFY(scale < 1.0);
        }
        int items = 0;
        for (const QJsonObject &line : lines.mid(1)) {
            const QString name = line.contains("item") ? line.value("item").toString() : line.value("dialog").toString();
            QVERIFY2(within(rectOf(line.value("rect")), available), qPrintable(name + " is off the screen"));
            ++items;
        }
        QCOMPARE(items, 6);
    }
};

QTEST_GUILESS_MAIN(TestUiFit)
#include "tst_ui_fit.moc"
