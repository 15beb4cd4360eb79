#include "appstartup.h"
#include "logmessagehandler.h"
#include "nerevmanager.h"
#include "nerevupdate.h"
#include "systemexit.h"

#include "platform/instance_guard.h"

#include <QDebug>
#include <QGuiApplication>
#include <QIcon>
#include <QLocale>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QtQml>

int main(int argc, char *argv[])
{
    AppStartup::enableHighDpiScaling();
    QGuiApplication app(argc, argv);
    qInstallMessageHandler(logMessageHandler);
    // A logout, shutdown or kill ends the event loop, so the exit sequence runs.
    SystemExit::quitOnRequest(app);

    const QLocale locale;
    AppStartup::installTranslation(app, locale);
    AppStartup::applyApplicationFont(app);
    app.setWindowIcon(QIcon(QStringLiteral(":/res/image/nerev.ico")));
    app.setOrganizationName(QStringLiteral("OSTREL"));
    AppStartup::chooseSceneGraphBackend();

    QQmlApplicationEngine engine;
    AppStartup::registerWindowType();

    // Kept for the life of the process: while it is held, a second start
    // only shows the notice window.
    platform::InstanceGuard guard;
    const auto guardResult = guard.acquire(AppStartup::instanceGuardName().toStdString());
    if (guardResult == platform::InstanceGuard::Result::AlreadyRunning) {
        guard.release();
        AppStartup::loadWithCreationCheck(engine, QUrl(QStringLiteral("qrc:/qml/windows/SingleAppTip.qml")));
        return app.exec();
    }
    if (guardResult == platform::InstanceGuard::Result::Failed)
        qWarning() << "single instance guard failed:" << QString::fromStdString(guard.lastError());

    qmlRegisterType<NerevManager>("NerevManager", 1, 0, "NerevManagerCLS");
    qInfo() << "json language: " << locale.language();

    auto *nerev = new NerevManager(&app);
    auto *update = new NerevUpdate(&app);
    engine.rootContext()->setContextProperty(QStringLiteral("nerev"), nerev);
    engine.rootContext()->setContextProperty(QStringLiteral("nerevupdate"), update);

    AppStartup::prepareMainWindow(engine);
    AppStartup::loadWithCreationCheck(engine, QUrl(QStringLiteral("qrc:/qml/mainWindow.qml")));
    AppStartup::placeMainWindow(engine);
    return app.exec();
}
