#pragma once

#include <QLocale>
#include <QRect>
#include <QSize>
#include <QString>
#include <QUrl>

class QCoreApplication;
class QGuiApplication;
class QQmlApplicationEngine;
class QQuickWindow;
class QScreen;
class QTranslator;

// The steps of main() that are worth testing on their own.
namespace AppStartup {

// "japanese.qm" for Japanese, nothing for Chinese (the program's own texts),
// "chinese.qm" for every other language.
QString translationFileFor(QLocale::Language language);

// Loads the translation for `locale` from the current working directory and
// installs it; logs "japanese load fail" / "english load fail" when it cannot
// be loaded. Returns the installed translator (a child of app) or null.
QTranslator *installTranslation(QCoreApplication &app, const QLocale &locale);

// Makes the compiled-in font the application font at 20 px. False (default
// font kept) when the font yields no family.
bool applyApplicationFont(QGuiApplication &app, const QString &fontFile = QStringLiteral(":/res/SourceHanSansCN-Medium.ttf"));

// Loads `url`, ending the event loop with -1 when its root object cannot be
// created.
void loadWithCreationCheck(QQmlApplicationEngine &engine, const QUrl &url);

// Name of the single-instance guard; OSTREL_INSTANCE_NAME overrides it for
// tests.
QString instanceGuardName();

// Before the QGuiApplication exists: windows are laid out in device-independent
// pixels and scaled by the screen's exact factor (150 % stays 1.5).
void enableHighDpiScaling();

// Registers FramelessQuickWindow as "FramelessWindow" in "QtShark.Window" 1.0.
void registerWindowType();

// Registers what the pages share in "NerevManager" 1.0: the Theme singleton
// (colours, fonts, sizes), PageRules (the pages' decisions) and the states of
// "Check my PC" (PcCheck.Passed ...).
void registerPageTypes();

// Whether Qt Quick can draw with OpenGL here: a context of version 2 or later
// (or OpenGL ES) that can be made current.
bool openGLAvailable();

// Without a working OpenGL (virtual machines, remote desktops, broken
// drivers) Qt Quick would abort at the first window: switch it to its
// software renderer and log that. A renderer chosen through the environment
// (QT_QUICK_BACKEND) is left alone. True when the software renderer was chosen
// here. Call after the application exists and before any window is created.
bool chooseSceneGraphBackend();

// The main window's design size.
QSize mainWindowDesignSize();

// The uniform scale that makes `design` fit into `available`: 1 when it fits,
// less when the screen's free area is smaller (a laptop's 1366 x 768, or
// 1920 x 1080 at 150 %).
qreal contentScaleFor(const QSize &available, const QSize &design = mainWindowDesignSize());

// Hands the main window the content scale for `screen`'s available area
// (primary screen when null), as the initial value of its contentScale.
qreal prepareMainWindow(QQmlApplicationEngine &engine, QScreen *screen = nullptr);

// Centres `window` in `available`, never above or left of its top-left corner,
// so the bottom of a window that just fits stays on the screen.
QPoint placementIn(const QRect &available, const QSize &windowSize);

// Places the engine's first root window inside its screen's available area.
void placeMainWindow(QQmlApplicationEngine &engine);

} // namespace AppStartup
