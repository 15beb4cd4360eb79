#include "appstartup.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QTranslator>

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

} // namespace AppStartup
