// Renders every page, card state and dialog in Chinese, English and Japanese
// against the stand-ins of the controller and the update checker (and the real
// checker of "Check my PC" with facts the test chooses), saves each
// as <snapshot folder>/<language>/<scene>.png, and fails when a text is
// truncated, runs out of the box it sits in or out of its window.
// Folder: OSTREL_UI_SNAPSHOT_DIR, default ui-snapshots in the build folder.
#include "appstartup.h"
#include "pcchecker.h"
#include "quick/standinenums.h"
#include "uisupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTranslator>
#include <QtTest>

#include <atomic>
#include <functional>
#include <memory>

namespace {

QString snapshotRoot()
{
    return qEnvironmentVariableIsSet("OSTREL_UI_SNAPSHOT_DIR") ? qEnvironmentVariable("OSTREL_UI_SNAPSHOT_DIR")
                                                               : QString(OSTREL_ASSISTANT_BIN_DIR) + "/ui-snapshots";
}

// The controller translates its texts with QObject::tr.
QString controllerText(const char *text)
{
    return QCoreApplication::translate("QObject", text);
}

// The software renderer of the offscreen platform cannot always grab its own
// frame; the platform's screen can.
QImage grab(QQuickWindow *window)
{
    QImage image = window->grabWindow();
    if (image.isNull())
        image = window->screen()->grabWindow(window->winId()).toImage();
    return image;
}

QRectF sceneRect(QQuickItem *item, const QRectF &local)
{
    return item->mapRectToScene(local);
}

bool effectivelyVisible(QQuickItem *item)
{
    for (QQuickItem *i = item; i; i = i->parentItem())
        if (!i->isVisible() || i->opacity() <= 0.0)
            return false;
    return true;
}

// The rectangle a text is drawn into, in its own coordinates.
QRectF paintedRect(QQuickItem *text)
{
    const qreal w = text->width();
    const qreal h = text->height();
    const qreal pw = text->property("paintedWidth").toReal();
    const qreal ph = text->property("paintedHeight").toReal();
    const int hAlign = text->property("effectiveHorizontalAlignment").toInt();
    const int vAlign = text->property("verticalAlignment").toInt();
    qreal x = 0;
    if (hAlign & Qt::AlignRight)
        x = w - pw;
    else if (hAlign & Qt::AlignHCenter)
        x = (w - pw) / 2;
    qreal y = 0;
    if (vAlign & Qt::AlignBottom)
        y = h - ph;
    else if (vAlign & Qt::AlignVCenter)
        y = (h - ph) / 2;
    return QRectF(x, y, pw, ph);
}

// Nearest ancestor that draws a box: a rectangle with a colour or a border.
QQuickItem *boxOf(QQuickItem *item)
{
    for (QQuickItem *p = item->parentItem(); p; p = p->parentItem()) {
        if (QByteArray(p->metaObject()->className()) != "QQuickRectangle")
            continue;
        const QColor colour = p->property("color").value<QColor>();
        QObject *border = p->property("border").value<QObject *>();
        const qreal borderWidth = border ? border->property("width").toReal() : 0;
        if (colour.alpha() > 0 || borderWidth > 0)
            return p;
    }
    return nullptr;
}

bool inside(const QRectF &inner, const QRectF &outer)
{
    const qreal slack = 1.0;
    return inner.left() >= outer.left() - slack && inner.top() >= outer.top() - slack
        && inner.right() <= outer.right() + slack && inner.bottom() <= outer.bottom() + slack;
}

void collectTextProblems(QQuickItem *item, QQuickWindow *window, QStringList &problems)
{
    for (QQuickItem *child : item->childItems())
        collectTextProblems(child, window, problems);
    if (QByteArray(item->metaObject()->className()) != "QQuickText" || !effectivelyVisible(item))
        return;
    const QString text = item->property("text").toString();
    if (text.trimmed().isEmpty())
        return;
    const QString what = QStringLiteral("\"%1\"").arg(text.left(40));
    if (item->property("truncated").toBool())
        problems << what + " is truncated";
    QRectF painted = sceneRect(item, paintedRect(item));
    // A clipping ancestor shows only its own area: a text wholly outside it is
    // hidden on purpose (the cards pulled down), one partly outside is cut.
    for (QQuickItem *p = item->parentItem(); p; p = p->parentItem()) {
        if (!p->clip())
            continue;
        const QRectF clipRect = sceneRect(p, QRectF(0, 0, p->width(), p->height()));
        if (!painted.intersects(clipRect))
            return;
        // A list scrolls: its last row may show only in part.
        if (p->inherits("QQuickFlickable"))
            painted = painted.intersected(clipRect);
        else if (!inside(painted, clipRect))
            problems << what + " is cut by a clipping item";
        break;
    }
    const QRectF windowRect(QPointF(0, 0), window->size());
    if (!inside(painted, windowRect))
        problems << what + QStringLiteral(" runs out of the window (%1,%2 %3x%4)")
                                .arg(painted.x()).arg(painted.y()).arg(painted.width()).arg(painted.height());
    if (QQuickItem *box = boxOf(item)) {
        const QRectF boxRect = sceneRect(box, QRectF(0, 0, box->width(), box->height()));
        if (!inside(painted, boxRect))
            problems << what + QStringLiteral(" runs out of its box (text %1,%2 %3x%4, box %5,%6 %7x%8)")
                                    .arg(painted.x()).arg(painted.y()).arg(painted.width()).arg(painted.height())
                                    .arg(boxRect.x()).arg(boxRect.y()).arg(boxRect.width()).arg(boxRect.height());
    }
}

bool isOpaqueBox(QQuickItem *item)
{
    if (QByteArray(item->metaObject()->className()) != "QQuickRectangle" || !effectivelyVisible(item))
        return false;
    for (QQuickItem *i = item; i; i = i->parentItem())
        if (i->opacity() < 1.0)
            return false;
    return item->property("color").value<QColor>().alpha() >= 200;
}

void collect(QQuickItem *item, QList<QQuickItem *> &texts, QList<QQuickItem *> &boxes)
{
    for (QQuickItem *child : item->childItems())
        collect(child, texts, boxes);
    if (QByteArray(item->metaObject()->className()) == "QQuickText" && effectivelyVisible(item)
        && !item->property("text").toString().trimmed().isEmpty())
        texts << item;
    else if (isOpaqueBox(item))
        boxes << item;
}

// A text must not run into another text, nor into a filled box (a button, a
// pill) that does not hold it.
void collectOverlaps(QQuickWindow *window, QStringList &problems)
{
    QList<QQuickItem *> texts;
    QList<QQuickItem *> boxes;
    collect(window->contentItem(), texts, boxes);
    const auto visibleRect = [](QQuickItem *item, const QRectF &local) {
        QRectF rect = item->mapRectToScene(local);
        for (QQuickItem *p = item->parentItem(); p; p = p->parentItem())
            if (p->clip())
                rect = rect.intersected(p->mapRectToScene(QRectF(0, 0, p->width(), p->height())));
        return rect;
    };
    const auto name = [](QQuickItem *text) { return QStringLiteral("\"%1\"").arg(text->property("text").toString().left(40)); };
    QList<QRectF> rects;
    for (QQuickItem *text : texts)
        rects << visibleRect(text, paintedRect(text)).adjusted(1, 1, -1, -1);
    for (int i = 0; i < texts.size(); ++i) {
        if (rects[i].isEmpty())
            continue;
        for (int j = i + 1; j < texts.size(); ++j)
            if (!rects[j].isEmpty() && rects[i].intersects(rects[j]))
                problems << name(texts[i]) + " overlaps " + name(texts[j]);
        for (QQuickItem *box : boxes) {
            if (box->isAncestorOf(texts[i]))
                continue;
            const QRectF boxRect = visibleRect(box, QRectF(0, 0, box->width(), box->height()));
            if (boxRect.intersects(rects[i]))
                problems << name(texts[i]) + " runs into a box it is not in";
        }
    }
}

// What the checker of "Check my PC" finds: every check passes, each fails as
// badly as it can, or a mix of the four states. Checks named in `held` wait
// for `gate` (the page while checking).
struct CheckWorld {
    enum Facts { AllPassed, Mixed, AllFailed };
    std::atomic<int> facts { AllPassed };
    QStringList held;
    QSemaphore gate;
};

PcCheck::GraphicsFacts graphicsFacts(int facts)
{
    PcCheck::GraphicsFacts f;
    f.tableRead = true;
    f.adapters = QStringList { facts == CheckWorld::AllFailed ? "Intel(R) UHD Graphics 630" : "NVIDIA GeForce RTX 3060" };
    f.bestAdapter = f.adapters.first();
    f.bestScore = facts == CheckWorld::AllFailed ? 0 : 8;
    f.vendor = PcCheck::vendorOf(f.bestAdapter);
    f.driverVersion = "31.0.15.1694";
    f.recommendedDriver = facts == CheckWorld::Mixed ? "31.0.15.5176" : "31.0.15.1694";
    return f;
}

PcCheck::DriverFolderFacts driverFolderFacts(int facts)
{
    PcCheck::DriverFolderFacts f;
    f.folder = "C:\\Program Files\\OSTREL";
    if (facts == CheckWorld::Mixed) {
        f.folder = "D:\\游戏\\串流助手";
        f.shortPath = "D:\\B8F9~1\\4E32~1";
        f.registered = QStringList { f.folder };
    } else if (facts == CheckWorld::AllFailed) {
        f.folder = "C:\\Users\\张伟\\OneDrive\\串流助手";
        f.syncRoots = QStringList { "C:\\Users\\张伟\\OneDrive" };
    }
    return f;
}

PcCheck::LinkFacts linkFacts(int facts)
{
    PcCheck::LinkFacts f;
    f.known = true;
    f.kind = facts == CheckWorld::AllFailed ? PcCheck::LinkKind::WiFi : PcCheck::LinkKind::Ethernet;
    f.interfaceName = facts == CheckWorld::AllFailed ? "WLAN" : "Ethernet";
    f.speedBitsPerSecond = facts == CheckWorld::Mixed ? 100000000ull : 1000000000ull;
    f.wifiFrequencyMHz = 2437;
    return f;
}

// A fixed environment for the checker: the facts of `world`, nothing of this system.
PcChecker::Environment checkEnvironment(const std::shared_ptr<CheckWorld> &world)
{
    PcChecker::Environment e;
    auto facts = [world](const char *id) {
        if (world->held.contains(QLatin1String(id)))
            world->gate.acquire();
        return world->facts.load();
    };
    e.context = [] { return PcChecker::Context(); };
    e.graphics = [facts](const PcChecker::Context &) { return graphicsFacts(facts("graphics")); };
    e.networkProfile = [facts](const PcChecker::Context &) {
        const int f = facts("networkProfile");
        PcCheck::NetworkProfileFacts n;
        n.known = true;
        n.toolFound = true;
        n.connections = { PcCheck::Connection { f == CheckWorld::AllPassed ? "Home-5G" : "Cafe-WiFi", 12,
                                                f == CheckWorld::AllPassed ? "Private" : "Public" } };
        return n;
    };
    e.firewall = [facts](const PcChecker::Context &) {
        const int f = facts("firewall");
        PcCheck::FirewallFacts w;
        w.known = f != CheckWorld::Mixed;
        w.filtersInbound = f == CheckWorld::AllFailed;
        w.vrServerPath = "C:\\Program Files (x86)\\Steam\\steamapps\\common\\SteamVR\\bin\\win64\\vrserver.exe";
        w.ports = { 9943, 9944, 9932 };
        w.toolFound = true;
        return w;
    };
    e.ports = [facts](const PcChecker::Context &) {
        PcCheck::PortFacts p;
        p.known = true;
        if (facts("ports") == CheckWorld::AllFailed)
            p.holders = { PcCheck::PortHolder { 9943, 4120, "foo.exe" }, PcCheck::PortHolder { 50000, 5388, "bar_service.exe" } };
        return p;
    };
    e.driverFolder = [facts](const PcChecker::Context &) { return driverFolderFacts(facts("driverFolder")); };
    e.link = [facts](const PcChecker::Context &) { return linkFacts(facts("link")); };
    e.audio = [facts](const PcChecker::Context &) {
        return facts("audio") == CheckWorld::AllFailed ? PcCheck::AudioFacts { 0, QString() }
                                                      : PcCheck::AudioFacts { 1, "Speakers (Realtek(R) Audio)" };
    };
    e.powerPlan = [facts](const PcChecker::Context &) {
        const int f = facts("powerPlan");
        PcCheck::PowerFacts p;
        p.known = f != CheckWorld::Mixed;
        p.kind = f == CheckWorld::AllFailed ? PcCheck::PowerKind::PowerSaver : PcCheck::PowerKind::Balanced;
        p.name = f == CheckWorld::AllFailed ? "Power saver" : "Balanced";
        p.toolFound = true;
        return p;
    };
    e.steam = [facts](const PcChecker::Context &) {
        const int f = facts("steam");
        return PcCheck::SteamFacts { f != CheckWorld::AllFailed, "C:\\Program Files (x86)\\Steam\\steamapps\\common\\SteamVR",
                                     f == CheckWorld::AllPassed ? "2.7.4.0" : QString() };
    };
    return e;
}

struct Language {
    QString code;       // folder name and locale
    QString qmFile;     // empty: the program's own Chinese texts
};

} // namespace

class TestUiSnapshots : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QQmlEngine> m_engine;
    std::unique_ptr<QTranslator> m_translator;
    QObject *m_nerev = nullptr;
    QObject *m_update = nullptr;
    QQuickWindow *m_main = nullptr;
    std::shared_ptr<CheckWorld> m_checkWorld;
    std::unique_ptr<PcChecker> m_checker;
    QString m_folder;
    QStringList m_problems;
    int m_saved = 0;

    QObject *createFromFile(const QString &path)
    {
        QQmlComponent component(m_engine.get(), QUrl::fromLocalFile(path));
        QObject *object = component.create();
        if (!object)
            qWarning() << component.errorString();
        return object;
    }

    void startLanguage(const Language &language)
    {
        m_translator.reset();
        if (!language.qmFile.isEmpty()) {
            m_translator = std::make_unique<QTranslator>();
            QVERIFY2(m_translator->load(QString(OSTREL_ASSISTANT_BIN_DIR) + "/" + language.qmFile),
                     qPrintable(language.qmFile));
            qApp->installTranslator(m_translator.get());
        }
        QLocale::setDefault(QLocale(language.code));
        m_engine = std::make_unique<QQmlEngine>();
        const QString quickDir = QString(OSTREL_SOURCE_DIR) + "/assistant/tests/quick/";
        m_nerev = createFromFile(quickDir + "StandInNerev.qml");
        m_update = createFromFile(quickDir + "StandInUpdate.qml");
        QVERIFY(m_nerev && m_update);
        m_nerev->setParent(m_engine.get());
        m_update->setParent(m_engine.get());
        m_engine->rootContext()->setContextProperty("nerev", m_nerev);
        m_engine->rootContext()->setContextProperty("nerevupdate", m_update);
        // The real checker, made after the translator so its rows speak the language.
        m_checkWorld = std::make_shared<CheckWorld>();
        m_checker = std::make_unique<PcChecker>(checkEnvironment(m_checkWorld));
        m_engine->rootContext()->setContextProperty("pcchecker", m_checker.get());
        m_folder = snapshotRoot() + "/" + language.code;
        QDir(m_folder).removeRecursively();
        QVERIFY(QDir().mkpath(m_folder));
    }

    void endLanguage()
    {
        closeMain();
        m_engine.reset();
        m_checkWorld->gate.release(m_checkWorld->held.size());
        m_checker.reset();
        if (m_translator)
            qApp->removeTranslator(m_translator.get());
        m_translator.reset();
        QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    }

    // The stand-in as the real controller starts: its texts pass through the
    // translator under "QObject".
    void resetController()
    {
        QMetaObject::invokeMethod(m_nerev, "reset");
        m_nerev->setProperty("vrName", controllerText("Marelle眼镜"));
        m_nerev->setProperty("simplySystemInfo",
                             QStringLiteral("[[\"%1\",\"Intel(R) Core(TM) i7-9700 CPU @ 3.00GHz\"],"
                                            "[\"%2\",\"NVIDIA GeForce RTX 3060;Intel(R) UHD Graphics 630\"]]")
                                 .arg(controllerText("处理器："), controllerText("显卡：")));
        const auto column = [](const QString &title, const QStringList &values) {
            const QStringList keys = { controllerText("操作系统："), controllerText("处理器："), controllerText("内存："), controllerText("显卡："), controllerText("DirectX 版本：") };
            QStringList rows;
            for (int i = 0; i < keys.size(); ++i)
                rows << QStringLiteral("[\"%1\",\"%2\"]").arg(keys[i], values[i]);
            return QStringLiteral("[\"%1\",[%2]]").arg(title, rows.join(','));
        };
        const QString info = "[" + column(controllerText("当前配置"), { "Windows 10 Pro 22H2", "Intel(R) Core(TM) i7-9700 CPU @ 3.00GHz",
                                                          "16 GB", "NVIDIA GeForce RTX 3060;Intel(R) UHD Graphics 630", "12" })
            + "," + column(controllerText("最低配置"), { "Windows 10", QCoreApplication::translate("SystemInfo", "Intel Core i5-6600/AMD锐龙3 1300X同等性能及以上"), "8 GB",
                                              QCoreApplication::translate("SystemInfo", "NVDIA GeFore GTX 970/AMD RX 480 同等性能及以上"), "11" })
            + "," + column(controllerText("推荐配置"), { "Windows 10", QCoreApplication::translate("SystemInfo", "Intel Core i7-9700/AMD 锐龙5 3600 同等性能及以上"), "16 GB",
                                              QCoreApplication::translate("SystemInfo", "NVDIA GeFore RTX 3060/AMD RX 6600XT 同等性能及以上"), "12" })
            + "]";
        m_nerev->setProperty("systemInfo", info);
    }

    void setHeadsets(const QVariantList &rows)
    {
        QMetaObject::invokeMethod(m_nerev, "setHeadsets", Q_ARG(QVariant, QVariant(rows)));
    }

    static QVariantMap headset(const QString &name, bool connected, bool recent)
    {
        return { { "vrName", name }, { "ip", "192.168.3.17" }, { "vrState", connected }, { "isRecent", recent } };
    }

    void openMain(const QVariantMap &properties = {})
    {
        closeMain();
        QQmlComponent component(m_engine.get(), QUrl("qrc:/qml/mainWindow.qml"));
        QObject *object = component.createWithInitialProperties(properties);
        QVERIFY2(object, qPrintable(component.errorString()));
        m_main = qobject_cast<QQuickWindow *>(object);
        QVERIFY(m_main);
        m_main->setPosition(0, 0);
        QVERIFY(QTest::qWaitForWindowExposed(m_main));
    }

    void closeMain()
    {
        if (!m_main)
            return;
        if (auto *dialog = subWindow())
            dialog->close();
        delete m_main;
        m_main = nullptr;
    }

    QObject *named(const QString &name) const
    {
        return findNamed(m_main, name);
    }

    QQuickWindow *subWindow() const
    {
        QObject *loader = findNamed(m_main, "subLoader");
        return loader ? qobject_cast<QQuickWindow *>(loader->property("item").value<QObject *>()) : nullptr;
    }

    // The cards as they look once their checks are done.
    void finishChecks()
    {
        QMetaObject::invokeMethod(named("pcCard"), "showResult");
        QObject *steam = named("steamCard");
        steam->setProperty("checked", true);
        QMetaObject::invokeMethod(steam, "updateStatus");
    }

    void emitVrList(bool isConnect, bool hasDisConnect)
    {
        QMetaObject::invokeMethod(m_nerev, "showVrList", Q_ARG(bool, isConnect), Q_ARG(bool, hasDisConnect));
    }

    QQuickWindow *openDialog(const QString &file, const QVariantMap &properties = {})
    {
        QMetaObject::invokeMethod(m_main, "openSubWin", Q_ARG(QVariant, "qrc:/qml/windows/" + file),
                                  Q_ARG(QVariant, properties));
        QQuickWindow *dialog = subWindow();
        if (dialog && !QTest::qWaitForWindowExposed(dialog))
            qWarning() << file << "was not exposed";
        return dialog;
    }

    void save(QQuickWindow *window, const QString &scene)
    {
        QVERIFY2(window, qPrintable(scene));
        window->update();
        QTest::qWait(120);
        const QImage image = grab(window);
        QVERIFY2(!image.isNull(), qPrintable(scene));
        QVERIFY(image.save(m_folder + "/" + scene + ".png"));
        ++m_saved;
        QStringList problems;
        collectTextProblems(window->contentItem(), window, problems);
        collectOverlaps(window, problems);
        for (const QString &problem : problems)
            m_problems << QStringLiteral("%1/%2: %3").arg(QFileInfo(m_folder).fileName(), scene, problem);
    }

    void renderAll()
    {
        // Main window.
        resetController();
        m_nerev->setProperty("hideSelectPage", false);
        openMain();
        save(m_main, "01_mainWindow-modePage");

        resetController();
        openMain();
        save(m_main, "02_mainWindow-setup-checking");

        resetController();
        m_nerev->setProperty("haslaunchSteam", false);
        openMain();
        finishChecks();
        emitVrList(false, false);
        save(m_main, "03_mainWindow-setup-wireless-searching-steamClosed");

        resetController();
        m_nerev->setProperty("haslaunchSteam", true);
        setHeadsets({ headset("KZ4A0C3B00A1F2E3", false, true), headset("KY11223344556677", false, false),
                      headset("KX00998877665544", false, false) });
        openMain();
        finishChecks();
        emitVrList(false, false);
        save(m_main, "04_mainWindow-setup-wireless-chooseHeadset-steamRunning");

        resetController();
        m_nerev->setProperty("haslaunchSteam", true);
        m_nerev->setProperty("haslaunchSteamVR", true);
        m_nerev->setProperty("vrIsConnect", true);
        m_nerev->setProperty("vrName", controllerText("眼镜ID：") + "A1F2E3");
        setHeadsets({ headset("KZ4A0C3B00A1F2E3", true, true) });
        openMain();
        finishChecks();
        emitVrList(true, false);
        save(m_main, "05_mainWindow-setup-wireless-connected-ready");

        m_main->setProperty("ispullDown", true);
        save(m_main, "06_mainWindow-setup-pulledDown");

        resetController();
        m_nerev->setProperty("wired", true);
        m_nerev->setProperty("pcHardware", 0);
        m_nerev->setProperty("steamState", 1);
        openMain();
        finishChecks();
        emitVrList(false, false);
        save(m_main, "07_mainWindow-setup-wired-noDevice-pcFails-noSteam");

        resetController();
        m_nerev->setProperty("wired", true);
        m_nerev->setProperty("hasEnumdevices", true);
        m_nerev->setProperty("haslaunchSteam", true);
        openMain();
        finishChecks();
        emitVrList(false, false);
        save(m_main, "08_mainWindow-setup-wired-device");

        m_nerev->setProperty("haslaunchSteamVR", true);
        m_nerev->setProperty("vrIsConnect", true);
        emitVrList(true, false);
        save(m_main, "09_mainWindow-setup-wired-connected");

        resetController();
        m_nerev->setProperty("vrIsConnect", true);
        m_nerev->setProperty("haslaunchSteam", true);
        m_nerev->setProperty("haslaunchSteamVR", true);
        setHeadsets({ headset("KZ4A0C3B00A1F2E3", false, false), headset("KY11223344556677", true, true) });
        openMain();
        finishChecks();
        emitVrList(true, false);
        save(m_main, "10_mainWindow-setup-severalHeadsets-oneConnected");

        resetController();
        openMain({ { "contentScale", AppStartup::contentScaleFor(QSize(1366, 728)) } });
        finishChecks();
        save(m_main, "11_mainWindow-scaled-for-1366x768");

        // Dialogs, from the main window as the program opens them.
        resetController();
        openMain();
        save(openDialog("SettingPage.qml"), "20_SettingPage-preset");
        m_nerev->setProperty("definitionIndex", 3);
        m_nerev->setProperty("AV1available", true);
        m_nerev->setProperty("nvidiaAvailable", true);
        m_nerev->setProperty("audioStatus", true);
        save(openDialog("SettingPage.qml"), "21_SettingPage-custom-AV1");
        m_nerev->setProperty("AV1available", false);
        m_nerev->setProperty("wired", true);
        m_nerev->setProperty("bitRate", 500);
        save(openDialog("SettingPage.qml"), "22_SettingPage-custom-wired-HEVC10bit");
        m_nerev->setProperty("nvidiaAvailable", false);
        m_nerev->setProperty("definitionIndex", 0);
        save(openDialog("SettingPage.qml"), "23_SettingPage-twoCodecs");

        resetController();
        openMain();
        save(openDialog("FeedbackPage.qml"), "24_FeedbackPage-empty");
        QQuickWindow *feedback = subWindow();
        findNamed(feedback, "description")->setProperty("text", QString(120, QChar(0x8FD9)));
        findNamed(feedback, "contact")->setProperty("text", "13800138000");
        save(feedback, "25_FeedbackPage-filled");

        setHeadsets({ headset("KX00998877665544", false, false), headset("KY11223344556677", false, true),
                      headset("KZ4A0C3B00A1F2E3", false, false) });
        save(openDialog("MoreSettingPage.qml"), "26_MoreSettingPage-threeModels");
        save(openDialog("ConfirmPage.qml", { { "showText", QCoreApplication::translate("PageItem", "确定切换为有线串流") } }),
             "27_ConfirmPage");
        save(openDialog("SystemInfoPage.qml"), "28_SystemInfoPage");
        save(openDialog("NetworkSetting.qml"), "29_NetworkSetting");
        save(openDialog("PowerDownPage.qml"), "30_PowerDownPage");
        const QString note = "1. Lower latency in wireless streaming<br>2. Fixes for HEVC 10-bit<br>3. 修复已知问题";
        save(openDialog("UpdatePage.qml", { { "note", note }, { "isForce", true } }), "31_UpdatePage-forced");
        save(openDialog("UpdatePage.qml", { { "note", note }, { "isForce", false } }), "32_UpdatePage-optional");
        save(openDialog("UpdateGpuDriverTips.qml"), "33_UpdateGpuDriverTips");
        save(openDialog("UsePortProcessTips.qml", { { "names", "foo.exe;bar_service.exe" } }), "34_UsePortProcessTips");
        subWindow()->close();

        QMetaObject::invokeMethod(m_main, "showToast",
                                  Q_ARG(QVariant, controllerText("当前无音频设备或音频设备是多声道，请切换成双声道模式或者切换双声道音频设备")),
                                  Q_ARG(QVariant, 60000));
        auto *toastText = qobject_cast<QQuickItem *>(named("toastText"));
        QVERIFY(toastText);
        save(toastText->window(), "35_Toast-long");
        toastText->window()->close();
        closeMain();

        QQmlComponent tipComponent(m_engine.get(), QUrl("qrc:/qml/windows/SingleAppTip.qml"));
        std::unique_ptr<QObject> tip(tipComponent.create());
        QVERIFY2(tip, qPrintable(tipComponent.errorString()));
        auto *tipWindow = qobject_cast<QQuickWindow *>(tip.get());
        QVERIFY(QTest::qWaitForWindowExposed(tipWindow));
        save(tipWindow, "36_SingleAppTip");
    }

    // Runs every check against `facts`; returns once all but the held checks have answered.
    void runChecks(int facts, const QStringList &held = {})
    {
        m_checkWorld->facts = facts;
        m_checkWorld->held = held;
        QSignalSpy results(m_checker.get(), &PcChecker::resultReady);
        m_checker->checkAll();
        QTRY_COMPARE(results.count(), PcCheck::ids().size() - held.size());
    }

    void releaseHeldChecks()
    {
        QSignalSpy finished(m_checker.get(), &PcChecker::checksFinished);
        m_checkWorld->gate.release(m_checkWorld->held.size());
        QTRY_COMPARE(finished.count(), 1);
        m_checkWorld->held.clear();
    }

    QQuickWindow *openPcCheck()
    {
        return openDialog("PcCheckPage.qml", { { "checker", QVariant::fromValue<QObject *>(m_checker.get()) } });
    }

    void scrollToEnd(QQuickWindow *page)
    {
        QMetaObject::invokeMethod(findNamed(page, "checkList"), "positionViewAtEnd");
    }

    // "Check my PC" while checking, all passed, a mix, all failed (each list
    // also at its end), the question before ending programs; then the PC card
    // linking to it while a check fails.
    void renderPcCheck()
    {
        resetController();
        openMain();
        runChecks(CheckWorld::Mixed, { "firewall", "ports", "link", "wifiBand", "powerPlan" });
        save(openPcCheck(), "37_PcCheckPage-checking");
        releaseHeldChecks();

        runChecks(CheckWorld::AllPassed);
        save(openPcCheck(), "38_PcCheckPage-allPassed");

        runChecks(CheckWorld::Mixed);
        QQuickWindow *page = openPcCheck();
        emit m_checker->fixFinished("networkProfile", false, PcChecker::tr("修复失败：%1").arg("Access is denied."));
        emit m_checker->reportSaved("C:\\Users\\张伟\\Desktop\\OSTREL_Streaming_Assistant_report_20240502_101500.zip");
        save(page, "39_PcCheckPage-mix");
        scrollToEnd(page);
        save(page, "40_PcCheckPage-mix-end");

        runChecks(CheckWorld::AllFailed);
        page = openPcCheck();
        save(page, "41_PcCheckPage-allFailed");
        scrollToEnd(page);
        save(page, "42_PcCheckPage-allFailed-end");
        QMetaObject::invokeMethod(page, "requestFix", Q_ARG(QVariant, "ports"));
        save(page, "43_PcCheckPage-confirmEndingPrograms");
        page->close();

        resetController();
        openMain();
        finishChecks();
        save(m_main, "12_mainWindow-setup-pcCheckFailed");
        closeMain();
    }

    void renderLanguage(const Language &language)
    {
        startLanguage(language);
        renderAll();
        renderPcCheck();
        endLanguage();
    }

private slots:
    void initTestCase()
    {
        AppStartup::registerWindowType();
        AppStartup::registerPageTypes();
        registerStandInNerevManager();
        QVERIFY(AppStartup::applyApplicationFont(*qApp));
    }

    void chinese() { renderLanguage({ "zh_CN", QString() }); }
    void english() { renderLanguage({ "en_US", "chinese.qm" }); }
    void japanese() { renderLanguage({ "ja_JP", "japanese.qm" }); }

    void cleanupTestCase()
    {
        qInfo().noquote() << m_saved << "snapshots in" << snapshotRoot();
        for (const QString &problem : qAsConst(m_problems))
            qWarning().noquote() << problem;
        QVERIFY2(m_problems.isEmpty(), qPrintable(QStringLiteral("%1 texts do not fit (listed above)").arg(m_problems.size())));
    }
};

QTEST_MAIN(TestUiSnapshots)
#include "tst_ui_snapshots.moc"
