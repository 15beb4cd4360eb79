// Rewrites every file the assistant writes whole, as fast as it can, until it
// is killed: set.json and setting.inf (in USER), ./session.json (in CWD) and
// openvrpaths.vrpath (under HOME). Prints "begin" before and "end" after each
// operation that rewrites files, so the test can tell where a kill landed.
//   atomic_writer USER CWD HOME
#include "settingsstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include <functional>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    const QStringList args = app.arguments();
    if (args.size() < 4)
        return 2;
    QDir::setCurrent(args[2]);
    SettingsStore store(args[1]);
    store.load(false, 3);
    store.setVbCableCheck([] { return true; });
    // A long id makes set.json large enough for kills to land inside writes.
    const QString longId = QStringLiteral("KZ") + QString(120000, QLatin1Char('7'));
    const QStringList recentA { QString(50000, QLatin1Char('a')), QStringLiteral("Living room") };
    const QStringList recentB { QStringLiteral("Office"), QString(70000, QLatin1Char('b')) };
    QTextStream out(stdout);
    auto step = [&out](const std::function<void()> &operation) {
        out << "begin\n";
        out.flush();
        operation();
        out << "end\n";
        out.flush();
    };
    for (quint64 round = 0;; ++round) {
        const bool odd = round % 2;
        store.storeVideoQuality(odd ? 85 : 95, odd ? 300 : 200, odd, 3);
        step([&] { store.save(longId); });
        step([&] {
            store.applyEffects(int(round % 4), int(round % 2), int(round % 4), odd, !odd, odd, odd, !odd);
        });
        step([&] { store.tidySessionFile(); });
        step([&] {
            QString runtime;
            if (odd)
                store.setExternalDrivers(QStringLiteral("/opt/ostrel/driver"), args[3], runtime);
            else
                store.clearExternalDrivers(QString(), args[3]);
        });
        step([&] { store.storeRecentHeadsets(odd ? recentA : recentB); });
    }
}
