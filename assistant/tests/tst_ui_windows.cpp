// The compiled-in resources and the second-start notice window of the
// start-up (the main window needs the controller: tests/quick covers it with
// a stand-in). A snapshot of the notice is written to OSTREL_UI_SNAPSHOT_DIR
// (default: ui-snapshots in the build folder).
#include "appstartup.h"

#include <QDir>
#include <QEventLoop>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QQmlApplicationEngine>
#include <QPixmap>
#include <QQuickWindow>
#include <QScreen>
#include <QTimer>
#include <QtTest>

namespace {

QString snapshotDir()
{
    const QString dir = qEnvironmentVariableIsSet("OSTREL_UI_SNAPSHOT_DIR")
        ? qEnvironmentVariable("OSTREL_UI_SNAPSHOT_DIR")
        : QString(OSTREL_ASSISTANT_BIN_DIR) + "/ui-snapshots";
    QDir().mkpath(dir);
    return dir;
}

QQuickWindow *loadWindow(QQmlApplicationEngine &engine, const QString &url)
{
    AppStartup::loadWithCreationCheck(engine, QUrl(url));
    if (engine.rootObjects().isEmpty())
        return nullptr;
    return qobject_cast<QQuickWindow *>(engine.rootObjects().first());
}

// The software renderer of the offscreen platform cannot grab its own frame;
// the platform's screen can.
QImage snapshot(QQuickWindow *window)
{
    QImage image = window->grabWindow();
    if (image.isNull())
        image = window->screen()->grabWindow(window->winId()).toImage();
    return image;
}

} // namespace

class TestUiWindows : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        AppStartup::registerWindowType();
        AppStartup::registerPageTypes();
    }

    void fontAndIconAreCompiledIn()
    {
        QVERIFY(QFile::exists(":/res/SourceHanSansCN-Medium.ttf"));
        QVERIFY(AppStartup::applyApplicationFont(*qApp));
        QCOMPARE(qApp->font().pixelSize(), 20);
        QVERIFY2(qApp->font().family().startsWith("Noto Sans CJK"), qPrintable(qApp->font().family()));
        QVERIFY(!AppStartup::applyApplicationFont(*qApp, ":/res/no-such-font.ttf"));

        const QImage icon(":/res/image/nerev.ico");
        QVERIFY(!icon.isNull());
        QCOMPARE(icon.size(), QSize(256, 256));
        QVERIFY2(qAlpha(icon.pixel(0, 0)) == 0 && qAlpha(icon.pixel(128, 128)) == 255, "drawn on a transparent square");
        QVERIFY(!QIcon(":/res/image/nerev.ico").isNull());
    }

    void noticeWindowClosesOnTheButton()
    {
        QQmlApplicationEngine engine;
        QQuickWindow *window = loadWindow(engine, "qrc:/qml/windows/SingleAppTip.qml");
        QVERIFY(window);
        QCOMPARE(window->size(), QSize(400, 300));
        QCOMPARE(window->title(), QString("提示"));
        QVERIFY(window->flags() & Qt::FramelessWindowHint);
        QCOMPARE(window->modality(), Qt::NonModal);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QVERIFY(snapshot(window).save(snapshotDir() + "/SingleAppTip.png"));
        // The button: 180 x 54, centred, 48 px above the bottom edge.
        QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier, QPoint(200, 300 - 48 - 27));
        QTRY_VERIFY_WITH_TIMEOUT(!window->isVisible(), 2000);
    }

    void noticeWindowClosesByItself()
    {
        QQmlApplicationEngine engine;
        QQuickWindow *window = loadWindow(engine, "qrc:/qml/windows/SingleAppTip.qml");
        QVERIFY(window);
        QTest::qWait(3000);
        QVERIFY2(window->isVisible(), "still open before four seconds");
        QTRY_VERIFY_WITH_TIMEOUT(!window->isVisible(), 3000);
    }

    void failedRootObjectEndsTheLoopWithMinusOne()
    {
        QQmlApplicationEngine engine;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("missing\\.qml"));
        AppStartup::loadWithCreationCheck(engine, QUrl("qrc:/qml/missing.qml"));
        QEventLoop loop;
        QTimer::singleShot(5000, &loop, [&loop] { loop.exit(1); });
        QCOMPARE(loop.exec(), -1);
    }
};

QTEST_MAIN(TestUiWindows)
#include "tst_ui_windows.moc"
