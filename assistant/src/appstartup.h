#pragma once

#include <QLocale>
#include <QString>
#include <QUrl>

class QCoreApplication;
class QGuiApplication;
class QQmlApplicationEngine;
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

} // namespace AppStartup
