// Started by tst_ui_fit on a real or virtual display; prints what it sees as
// one JSON object per line.
//   ui_probe gl [--no-fallback]  a Qt Quick window draws one frame, after the
//                                start-up's renderer choice (or without it)
//   ui_probe fit                 the main window (stand-in controller) as the
//                                program starts it, with its bottom buttons
//                                and the two tallest dialogs (settings, Check my PC)
#include "appstartup.h"
#include "quick/standinenums.h"
#include "uisupport.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QQmlApplicationEngine>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickView>
#include <QQuickWindow>
#include <QScreen>
#include <QSGRendererInterface>
#include <QSignalSpy>
#include <QTest>

#include <cstdio>

namespace {

void print(const QJsonObject &object)
{
    std::printf("%s\n", QJsonDocument(object).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);
}

QJsonArray rectJson(const QRectF &rect)
{
    return { rect.x(), rect.y(), rect.width(), rect.height() };
}

// The item's rectangle on the screen, in device-independent pixels.
QRectF screenRect(QQuickItem *item)
{
    const QRectF scene = item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
    return scene.translated(item->window()->position());
}

int drawOneFrame(bool fallback)
{
    const bool software = fallback && AppStartup::chooseSceneGraphBackend();
    QQuickView view;
    view.setResizeMode(QQuickView::SizeRootObjectToView);
    QQmlComponent component(view.engine());
    component.setData("import QtQuick 2.15\nRectangle { width: 200; height: 100; color: \"#1E68FF\" }", QUrl());
    view.setContent(QUrl(), &component, component.create());
    QSignalSpy frames(&view, &QQuickWindow::frameSwapped);
    view.show();
    const bool drawn = frames.wait(10000) || !frames.isEmpty();
    const auto api = view.rendererInterface() ? view.rendererInterface()->graphicsApi() : QSGRendererInterface::Unknown;
    print({ { "softwareChosen", software }, { "frame", drawn },
            { "software", api == QSGRendererInterface::Software } });
    return drawn ? 0 : 1;
}

int fitMainWindow()
{
    AppStartup::applyApplicationFont(*qGuiApp);
    AppStartup::registerWindowType();
    AppStartup::registerPageTypes();
    registerStandInNerevManager();
    AppStartup::chooseSceneGraphBackend();

    QQmlApplicationEngine engine;
    const QString quickDir = QString(OSTREL_SOURCE_DIR) + "/assistant/tests/quick/";
    QQmlComponent nerevComponent(&engine, QUrl::fromLocalFile(quickDir + "StandInNerev.qml"));
    QQmlComponent updateComponent(&engine, QUrl::fromLocalFile(quickDir + "StandInUpdate.qml"));
    QQmlComponent checkerComponent(&engine, QUrl::fromLocalFile(quickDir + "StandInPcChecker.qml"));
    QObject *nerev = nerevComponent.create();
    QObject *update = updateComponent.create();
    QObject *checker = checkerComponent.create();
    if (!nerev || !update || !checker) {
        std::fprintf(stderr, "%s%s%s\n", qPrintable(nerevComponent.errorString()), qPrintable(updateComponent.errorString()),
                     qPrintable(checkerComponent.errorString()));
        return 2;
    }
    nerev->setProperty("hideSelectPage", false);
    nerev->setProperty("definitionIndex", 3);
    nerev->setProperty("AV1available", true);
    engine.rootContext()->setContextProperty("nerev", nerev);
    engine.rootContext()->setContextProperty("nerevupdate", update);
    engine.rootContext()->setContextProperty("pcchecker", checker);

    const qreal scale = AppStartup::prepareMainWindow(engine);
    AppStartup::loadWithCreationCheck(engine, QUrl("qrc:/qml/mainWindow.qml"));
    AppStartup::placeMainWindow(engine);
    auto *window = engine.rootObjects().isEmpty() ? nullptr : qobject_cast<QQuickWindow *>(engine.rootObjects().first());
    if (!window || !QTest::qWaitForWindowExposed(window))
        return 3;
    QScreen *screen = window->screen();
    print({ { "available", rectJson(screen->availableGeometry()) }, { "dpr", screen->devicePixelRatio() },
            { "scale", scale }, { "window", rectJson(window->geometry()) } });

    const auto report = [](const QString &name, QQuickItem *item) {
        if (item)
            print({ { "item", name }, { "rect", rectJson(screenRect(item)) } });
    };
    QObject *wiredCard = findNamed(window, "wiredCard");
    report("modeStartButton", wiredCard ? qobject_cast<QQuickItem *>(findNamed(wiredCard, "startButton")) : nullptr);
    findNamed(window, "modePage")->setProperty("visible", false);
    QTest::qWait(50);
    report("switchModeButton", qobject_cast<QQuickItem *>(findNamed(window, "switchModeButton")));

    QMetaObject::invokeMethod(window, "openSubWin", Q_ARG(QVariant, "qrc:/qml/windows/SettingPage.qml"),
                              Q_ARG(QVariant, QVariantMap()));
    auto *dialog = qobject_cast<QQuickWindow *>(findNamed(window, "subLoader")->property("item").value<QObject *>());
    if (!dialog || !QTest::qWaitForWindowExposed(dialog))
        return 4;
    print({ { "dialog", "SettingPage" }, { "rect", rectJson(dialog->geometry()) } });
    report("applyButton", qobject_cast<QQuickItem *>(findNamed(dialog, "applyButton")));

    const QVariantMap withChecker { { "checker", QVariant::fromValue(checker) } };
    QMetaObject::invokeMethod(window, "openSubWin", Q_ARG(QVariant, "qrc:/qml/windows/PcCheckPage.qml"),
                              Q_ARG(QVariant, withChecker));
    auto *pcCheck = qobject_cast<QQuickWindow *>(findNamed(window, "subLoader")->property("item").value<QObject *>());
    if (!pcCheck || !QTest::qWaitForWindowExposed(pcCheck))
        return 5;
    print({ { "dialog", "PcCheckPage" }, { "rect", rectJson(pcCheck->geometry()) } });
    report("saveReportButton", qobject_cast<QQuickItem *>(findNamed(pcCheck, "saveReportButton")));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const QStringList args = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i)
            list << QString::fromLocal8Bit(argv[i]);
        return list;
    }();
    if (args.value(0) == "fit") {
        AppStartup::enableHighDpiScaling();
        QGuiApplication app(argc, argv);
        return fitMainWindow();
    }
    if (args.value(0) == "gl") {
        QGuiApplication app(argc, argv);
        return drawOneFrame(!args.contains("--no-fallback"));
    }
    std::fprintf(stderr, "usage: ui_probe gl [--no-fallback] | fit\n");
    return 2;
}
