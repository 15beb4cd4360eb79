#include "adbmanger.h"
#include "appstartup.h"
#include "httpmanager.h"
#include "logmessagehandler.h"
#include "nerevmanager.h"
#include "nerevupdate.h"
#include "pcchecker.h"
#include "settingsstore.h"
#include "steammanager.h"
#include "sysmanager.h"
#include "systemexit.h"
#include "systeminfo.h"

#include "platform/instance_guard.h"

#include <QDebug>
#include <QGuiApplication>
#include <QIcon>
#include <QLocale>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QtQml>

namespace {

// The subsystems the controller drives. SteamManager comes before the control
// server, whose worker may ask it for a SteamVR restart.
NerevManager::Services programServices(SysManager &controlServer)
{
    NerevManager::Services services;
    services.settings = SettingsStore::instance();
    services.steam = SteamManager::instance();
    services.system = SystemInfo::instance();
    services.adb = AdbManger::instance();
    services.http = HttpManager::instance();
    services.sys = &controlServer;
    return services;
}

// "Check my PC" on the same subsystems. Its checks run on workers; the rows
// whose facts another part changes run again: a new GPU table, the mode (the
// router matters to wireless streaming only).
PcChecker *makeChecker(const NerevManager::Services &services, NerevUpdate *update, NerevManager *nerev)
{
    const PcChecker::Services checkerServices { services.settings, services.system, services.steam };
    auto *checker = new PcChecker(PcChecker::systemEnvironment(checkerServices), QCoreApplication::instance());
    QObject::connect(update, &NerevUpdate::tableStored, checker, [checker] { checker->check(QStringLiteral("graphics")); });
    QObject::connect(nerev, &NerevManager::wiredChange, checker, [checker] {
        checker->check(QStringLiteral("link"));
        checker->check(QStringLiteral("wifiBand"));
    });
    return checker;
}

} // namespace

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
    AppStartup::registerPageTypes();

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

    // The enumerations; the object itself is the context property "nerev".
    qmlRegisterUncreatableType<NerevManager>("NerevManager", 1, 0, "NerevManagerCLS",
                                             QStringLiteral("the controller is made by main"));
    qInfo() << "json language: " << locale.language();

    // Listens from the first mode choice on; ends before the other subsystems.
    SysManager controlServer(SysManager::portFromEnvironment());
    const NerevManager::Services services = programServices(controlServer);
    auto *nerev = new NerevManager(services, NerevManager::Timing(), &app);
    auto *update = new NerevUpdate(&app);
    QObject::connect(update, &NerevUpdate::tableStored, nerev, &NerevManager::judgeHardware);
    PcChecker *checker = makeChecker(services, update, nerev);
    engine.rootContext()->setContextProperty(QStringLiteral("nerev"), nerev);
    engine.rootContext()->setContextProperty(QStringLiteral("nerevupdate"), update);
    engine.rootContext()->setContextProperty(QStringLiteral("pcchecker"), checker);

    AppStartup::prepareMainWindow(engine);
    AppStartup::loadWithCreationCheck(engine, QUrl(QStringLiteral("qrc:/qml/mainWindow.qml")));
    AppStartup::placeMainWindow(engine);
    // The first run of Check my PC, as the window opens.
    checker->checkAll();
    return app.exec();
}
