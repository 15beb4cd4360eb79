#include "appstartup.h"
#include "framelesswindow.h"
#include "pagerules.h"
#include "pccheck.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QScreen>
#include <QTranslator>
#include <QtQml>

#include <algorithm>
#include <cmath>

namespace AppStartup {

QString translationFileFor(QLocale::Language language)
{
    switch (language) {
    case QLocale::Japanese:
        return QStringLiteral("japanese.qm");
    case QLocale::Chinese:
        return QString();
    default:
        return QStringLiteral("chinese.qm");
    }
}

QTranslator *installTranslation(QCoreApplication &app, const QLocale &locale)
{
    const QString file = translationFileFor(locale.language());
    if (file.isEmpty())
        return nullptr;
    auto *translator = new QTranslator(&app);
    // The bare file name: it is looked up in the current working directory only.
    if (translator->load(file, QString(), QStringLiteral(""), QStringLiteral("")) && app.installTranslator(translator))
        return translator;
    qWarning() << (locale.language() == QLocale::Japanese ? "japanese load fail" : "english load fail");
    delete translator;
    return nullptr;
}

bool applyApplicationFont(QGuiApplication &app, const QString &fontFile)
{
    const int id = QFontDatabase::addApplicationFont(fontFile);
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (families.isEmpty())
        return false;
    QFont font = app.font();
    font.setFamily(families.first());
    font.setPixelSize(20);
    app.setFont(font);
    return true;
}

void loadWithCreationCheck(QQmlApplicationEngine &engine, const QUrl &url)
{
    QObject::connect(
        &engine, &QQmlApplicationEngine::objectCreated, QCoreApplication::instance(),
        [url](QObject *object, const QUrl &objectUrl) {
            if (!object && url == objectUrl)
                QCoreApplication::exit(-1);
        },
        Qt::QueuedConnection);
    engine.load(url);
}

QString instanceGuardName()
{
    const QString overridden = qEnvironmentVariable("OSTREL_INSTANCE_NAME");
    return overridden.isEmpty() ? QStringLiteral("OSTREL_Streaming_Assistant") : overridden;
}

void enableHighDpiScaling()
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
}

void registerWindowType()
{
    qmlRegisterType<FramelessQuickWindow>("QtShark.Window", 1, 0, "FramelessWindow");
}

void registerPageTypes()
{
    qmlRegisterSingletonType(QUrl(QStringLiteral("qrc:/qml/Theme.qml")), "NerevManager", 1, 0, "Theme");
    qmlRegisterSingletonType<PageRules>("NerevManager", 1, 0, "PageRules",
                                        [](QQmlEngine *, QJSEngine *) -> QObject * { return new PageRules; });
    qmlRegisterUncreatableMetaObject(PcCheck::staticMetaObject, "NerevManager", 1, 0, "PcCheck",
                                     QStringLiteral("the states of Check my PC's rows"));
}

bool openGLAvailable()
{
    QOpenGLContext context;
    if (!context.create())
        return false;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface))
        return false;
    // Qt Quick needs OpenGL 2.0 or OpenGL ES 2.0; a bare 1.1 driver is not enough.
    const bool usable = context.isOpenGLES() || context.format().majorVersion() >= 2;
    context.doneCurrent();
    return usable;
}

bool chooseSceneGraphBackend()
{
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND") || qEnvironmentVariableIsSet("QMLSCENE_DEVICE")
        || !QQuickWindow::sceneGraphBackend().isEmpty())
        return false;
    if (openGLAvailable())
        return false;
    QQuickWindow::setSceneGraphBackend(QSGRendererInterface::Software);
    qWarning() << "OpenGL is not available: Qt Quick draws with its software renderer";
    return true;
}

QSize mainWindowDesignSize()
{
    return QSize(1360, 875);
}

qreal contentScaleFor(const QSize &available, const QSize &design)
{
    if (available.isEmpty() || design.isEmpty())
        return 1.0;
    const qreal scale = std::min({ 1.0, qreal(available.width()) / design.width(),
                                   qreal(available.height()) / design.height() });
    // Rounded down to 1/1000 so the scaled window never exceeds the area.
    return std::floor(scale * 1000.0) / 1000.0;
}

qreal prepareMainWindow(QQmlApplicationEngine &engine, QScreen *screen)
{
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const qreal scale = screen ? contentScaleFor(screen->availableGeometry().size()) : 1.0;
    if (scale < 1.0)
        qInfo() << "screen area" << screen->availableGeometry() << "is smaller than the window: content scale" << scale;
    engine.setInitialProperties({ { QStringLiteral("contentScale"), scale } });
    return scale;
}

QPoint placementIn(const QRect &available, const QSize &windowSize)
{
    const int x = available.left() + std::max(0, (available.width() - windowSize.width()) / 2);
    const int y = available.top() + std::max(0, (available.height() - windowSize.height()) / 2);
    return QPoint(x, y);
}

void placeMainWindow(QQmlApplicationEngine &engine)
{
    if (engine.rootObjects().isEmpty())
        return;
    auto *window = qobject_cast<QQuickWindow *>(engine.rootObjects().first());
    if (!window || !window->screen())
        return;
    window->setPosition(placementIn(window->screen()->availableGeometry(), window->size()));
}

} // namespace AppStartup
