// The decisions of "Check my PC": for each check, facts that pass and facts that
// fail, with the fix each offers, and the command lines of the fixes that run a
// system tool.
#include "pccheck.h"

#include <QtTest>

#include <functional>

namespace {

using Fix = PcCheck::Fix;

struct Case {
    const char *name;
    PcCheck::Outcome outcome;
    PcCheck::State state;
    Fix fix;
    QString inSentence; // a part the sentence must hold; empty: anything
};

void verifyCases(const QList<Case> &cases)
{
    for (const Case &c : cases) {
        const QByteArray what = QByteArray(c.name) + ": " + c.outcome.sentence.toUtf8();
        QVERIFY2(c.outcome.state == c.state, what.constData());
        QVERIFY2(c.outcome.fix == c.fix, what.constData());
        QVERIFY2(!c.outcome.sentence.isEmpty(), what.constData());
        QVERIFY2(c.outcome.sentence.contains(c.inSentence), what.constData());
        QVERIFY2((c.fix == Fix::None) == c.outcome.fixLabel.isEmpty(), what.constData());
    }
}

template <typename Facts>
Facts with(Facts facts, const std::function<void(Facts &)> &change)
{
    change(facts);
    return facts;
}

QStringList arguments(const QList<PcCheck::ToolCommand> &commands)
{
    QStringList lines;
    for (const auto &c : commands)
        lines << c.program + QLatin1Char('|') + c.arguments.join(QLatin1Char('|'));
    return lines;
}

} // namespace

class TestPcCheck : public QObject
{
    Q_OBJECT

private slots:
    void graphicsByTableAndDriver()
    {
        PcCheck::GraphicsFacts fit;
        fit.adapters = QStringList{QStringLiteral("NVIDIA GeForce RTX 3060"), QStringLiteral("Intel UHD 630")};
        fit.tableRead = true;
        fit.bestScore = 8;
        fit.bestAdapter = fit.adapters.first();
        fit.vendor = QStringLiteral("nvidia");
        fit.driverVersion = QStringLiteral("32.0.15.6094");
        fit.recommendedDriver = QStringLiteral("31.0.15.5176");
        using G = PcCheck::GraphicsFacts;
        verifyCases({
            {"fit, driver newer than recommended", PcCheck::graphics(fit), PcCheck::Passed, Fix::None, "RTX 3060"},
            {"no adapters", PcCheck::graphics(with<G>(fit, [](G &f) { f.adapters.clear(); })), PcCheck::CouldNotCheck, Fix::None, ""},
            {"no table", PcCheck::graphics(with<G>(fit, [](G &f) { f.tableRead = false; })), PcCheck::CouldNotCheck, Fix::None, ""},
            {"middle class counts", PcCheck::graphics(with<G>(fit, [](G &f) { f.bestScore = 4; })), PcCheck::Passed, Fix::None, ""},
            {"low class", PcCheck::graphics(with<G>(fit, [](G &f) { f.bestScore = 0; })), PcCheck::Failed, Fix::None, "Intel UHD 630"},
            {"driver older than recommended",
             PcCheck::graphics(with<G>(fit, [](G &f) { f.driverVersion = QStringLiteral("31.0.15.3623"); })),
             PcCheck::Warning, Fix::OpenDriverPage, "31.0.15.5176"},
            // "9.18.13.4052" is older than "31.0.15.5176" by number though not as text.
            {"versions compare by number",
             PcCheck::graphics(with<G>(fit, [](G &f) { f.driverVersion = QStringLiteral("9.18.13.4052"); })),
             PcCheck::Warning, Fix::OpenDriverPage, ""},
            {"driver unknown", PcCheck::graphics(with<G>(fit, [](G &f) { f.driverVersion.clear(); })), PcCheck::Passed, Fix::None, ""},
            {"no recommendation, the program's own rule finds it old",
             PcCheck::graphics(with<G>(fit, [](G &f) { f.recommendedDriver.clear(); f.builtInOutdated = true; })),
             PcCheck::Warning, Fix::OpenDriverPage, ""},
            {"no recommendation, not old",
             PcCheck::graphics(with<G>(fit, [](G &f) { f.recommendedDriver.clear(); f.driverVersion = QStringLiteral("1.0.0.1"); })),
             PcCheck::Passed, Fix::None, ""},
            {"old driver of a vendor without a page",
             PcCheck::graphics(with<G>(fit, [](G &f) { f.vendor.clear(); f.driverVersion = QStringLiteral("1.0"); })),
             PcCheck::Warning, Fix::None, ""},
        });
        QCOMPARE(PcCheck::compareVersions(QStringLiteral("31.0.15.5176"), QStringLiteral("31.0.15.3623")), 1);
        QCOMPARE(PcCheck::compareVersions(QStringLiteral("1.2"), QStringLiteral("1.2.0.0")), 0);
        QCOMPARE(PcCheck::vendorOf(QStringLiteral("Advanced Micro Devices, Inc.")), QStringLiteral("amd"));
        QCOMPARE(PcCheck::vendorOf(QStringLiteral("AMD Radeon RX 6600 XT")), QStringLiteral("amd"));
        QVERIFY(PcCheck::driverPage(QStringLiteral("nvidia")).startsWith(QLatin1String("https://")));
    }

    void networkProfileByCategory()
    {
        using N = PcCheck::NetworkProfileFacts;
        N home;
        home.known = true;
        home.toolFound = true;
        home.connections = {PcCheck::Connection{QStringLiteral("Network 2"), 12, QStringLiteral("Private")},
                            PcCheck::Connection{QStringLiteral("corp"), 7, QStringLiteral("Domain")}};
        N cafe = with<N>(home, [](N &f) {
            f.connections.append(PcCheck::Connection{QStringLiteral("Cafe"), 15, QStringLiteral("Public")});
        });
        verifyCases({
            {"private and domain", PcCheck::networkProfile(home), PcCheck::Passed, Fix::None, ""},
            {"unknown", PcCheck::networkProfile(with<N>(home, [](N &f) { f.known = false; })), PcCheck::CouldNotCheck, Fix::None, ""},
            {"no network", PcCheck::networkProfile(with<N>(home, [](N &f) { f.connections.clear(); })), PcCheck::Warning, Fix::None, ""},
            {"one public", PcCheck::networkProfile(cafe), PcCheck::Failed, Fix::MakeNetworkPrivate, "Cafe"},
            {"public, no PowerShell", PcCheck::networkProfile(with<N>(cafe, [](N &f) { f.toolFound = false; })),
             PcCheck::Failed, Fix::None, "Cafe"},
            {"public without an interface (Linux)",
             PcCheck::networkProfile(with<N>(cafe, [](N &f) { f.connections.last().interfaceIndex = 0; })),
             PcCheck::Failed, Fix::None, ""},
            {"category unknown", PcCheck::networkProfile(with<N>(home, [](N &f) { f.connections[0].category.clear(); })),
             PcCheck::CouldNotCheck, Fix::None, ""},
        });
        // Unnamed public adapters (Wine lists four) name the network once.
        const QString unnamed = PcCheck::networkProfile(with<N>(home, [](N &f) {
            f.connections = {PcCheck::Connection{QString(), 3, QStringLiteral("Public")},
                             PcCheck::Connection{QString(), 4, QStringLiteral("Public")}};
        })).sentence;
        QCOMPARE(unnamed.count(PcCheck::tr("未命名网络")), 1);
        QCOMPARE(arguments(PcCheck::makePrivateCommands(cafe)),
                 QStringList{"powershell|-NoProfile|-NonInteractive|-Command|"
                             "Set-NetConnectionProfile -InterfaceIndex 15 -NetworkCategory Private"});
    }

    void firewallByRules()
    {
        using F = PcCheck::FirewallFacts;
        const QString vrserver = QStringLiteral("C:\\Steam\\steamapps\\common\\SteamVR\\bin\\win64\\vrserver.exe");
        F open;
        open.known = true;
        open.filtersInbound = true;
        open.toolFound = true;
        open.vrServerPath = vrserver;
        open.ports = {9943, 9944, 9932};
        open.allowRules = {
            PcCheck::FirewallRule{QStringLiteral("SteamVR"), QStringLiteral("c:/steam/steamapps/common/steamvr/bin/win64/VRSERVER.exe"), 17, QString()},
            PcCheck::FirewallRule{QStringLiteral("streaming"), QString(), 6, QStringLiteral("9900-9950")},
        };
        F shut = with<F>(open, [&vrserver](F &f) {
            f.allowRules = {
                PcCheck::FirewallRule{QStringLiteral("udp only"), QString(), 17, QStringLiteral("9943,9944,9932")},
                PcCheck::FirewallRule{QStringLiteral("another program"), QStringLiteral("C:\\x.exe"), 256, QStringLiteral("9944")},
                PcCheck::FirewallRule{QStringLiteral("near"), QString(), 6, QStringLiteral("9942, 9932")},
                PcCheck::FirewallRule{QStringLiteral("vrserver, one port only"), vrserver, 6, QStringLiteral("50000")},
            };
        });
        verifyCases({
            {"rules for the server and a range of ports", PcCheck::firewall(open), PcCheck::Passed, Fix::None, ""},
            {"unknown", PcCheck::firewall(with<F>(open, [](F &f) { f.known = false; })), PcCheck::CouldNotCheck, Fix::None, ""},
            {"firewall off", PcCheck::firewall(with<F>(shut, [](F &f) { f.filtersInbound = false; })), PcCheck::Passed, Fix::None, ""},
            {"blocks everything", PcCheck::firewall(with<F>(open, [](F &f) { f.blocksAllInbound = true; })), PcCheck::Failed, Fix::None, ""},
            {"rules that do not fit", PcCheck::firewall(shut), PcCheck::Failed, Fix::AddFirewallRules, "TCP 9943"},
            {"no netsh", PcCheck::firewall(with<F>(shut, [](F &f) { f.toolFound = false; })), PcCheck::Failed, Fix::None, ""},
            {"an allow-all rule", PcCheck::firewall(with<F>(shut, [](F &f) {
                 f.allowRules.append(PcCheck::FirewallRule{QStringLiteral("all"), QString(), 256, QStringLiteral("*")});
             })), PcCheck::Passed, Fix::None, ""},
            {"SteamVR not installed: only the ports", PcCheck::firewall(with<F>(open, [](F &f) {
                 f.vrServerPath.clear();
                 f.allowRules.removeFirst();
             })), PcCheck::Passed, Fix::None, ""},
        });
        // Only what is missing is added, each rule under a name of ours.
        QCOMPARE(arguments(PcCheck::firewallRuleCommands(shut)),
                 (QStringList{
                     "netsh|advfirewall|firewall|add|rule|name=OSTREL Streaming Assistant - SteamVR server|dir=in|"
                     "action=allow|program=" + vrserver + "|enable=yes|profile=any",
                     "netsh|advfirewall|firewall|add|rule|name=OSTREL Streaming Assistant - TCP 9943|dir=in|"
                     "action=allow|protocol=TCP|localport=9943|enable=yes|profile=any",
                     "netsh|advfirewall|firewall|add|rule|name=OSTREL Streaming Assistant - TCP 9944|dir=in|"
                     "action=allow|protocol=TCP|localport=9944|enable=yes|profile=any"}));
        QVERIFY(PcCheck::firewallRuleCommands(open).isEmpty());
    }

    void portsByHolder()
    {
        using P = PcCheck::PortFacts;
        P ours;
        ours.known = true;
        ours.ownPid = 4242;
        ours.holders = {{9932, 4242, QStringLiteral("OSTREL_Streaming_Assistant.exe")},
                        {9943, 811, QStringLiteral("vrserver.exe")},
                        {9944, 812, QStringLiteral("adb.exe")},
                        {50000, 0, QStringLiteral("System Idle Process")},
                        {50001, 813, QStringLiteral("steamwebhelper.exe")},
                        {9943, 4, QStringLiteral("System")}};
        P taken = with<P>(ours, [](P &f) {
            f.holders.append({9943, 900, QStringLiteral("foo.exe")});
            f.holders.append({50000, 901, QStringLiteral("bar.exe")});
            f.holders.append({9943, 900, QStringLiteral("foo.exe")});
        });
        verifyCases({
            {"only ours", PcCheck::ports(ours), PcCheck::Passed, Fix::None, ""},
            {"unknown", PcCheck::ports(with<P>(ours, [](P &f) { f.known = false; })), PcCheck::CouldNotCheck, Fix::None, ""},
            {"two other programs", PcCheck::ports(taken), PcCheck::Failed, Fix::EndPortHolders, "foo.exe、bar.exe"},
        });
        QCOMPARE(PcCheck::foreignPortHolders(taken).size(), 2);
        QVERIFY(PcCheck::ports(taken).fixLabel.contains(QLatin1String("bar.exe")));
    }

    void driverFolderByPath()
    {
        using D = PcCheck::DriverFolderFacts;
        D plain;
        plain.folder = QStringLiteral("C:\\Program Files\\OSTREL");
        D chinese;
        chinese.folder = QStringLiteral("D:\\游戏\\串流助手");
        chinese.shortPath = QStringLiteral("D:\\B8F9~1\\4E32~1");
        verifyCases({
            {"plain", PcCheck::driverFolder(plain), PcCheck::Passed, Fix::None, ""},
            {"in OneDrive by the environment", PcCheck::driverFolder(with<D>(plain, [](D &f) {
                 f.folder = QStringLiteral("C:\\Users\\li\\OneDrive - Contoso\\tools\\OSTREL");
                 f.syncRoots = QStringList{QStringLiteral("C:/Users/li/OneDrive - Contoso")};
             })), PcCheck::Failed, Fix::None, "OneDrive - Contoso"},
            {"in a folder named like a sync client's", PcCheck::driverFolder(with<D>(plain, [](D &f) {
                 f.folder = QStringLiteral("E:\\Dropbox\\OSTREL");
             })), PcCheck::Failed, Fix::None, "Dropbox"},
            {"a name that only begins like one", PcCheck::driverFolder(with<D>(plain, [](D &f) {
                 f.folder = QStringLiteral("E:\\Dropboxes\\OSTREL");
             })), PcCheck::Passed, Fix::None, ""},
            {"Chinese, readable through its short path", PcCheck::driverFolder(chinese), PcCheck::Passed, Fix::None, "D:\\B8F9~1\\4E32~1"},
            {"Chinese and registered by its long path", PcCheck::driverFolder(with<D>(chinese, [](D &f) {
                 f.registered = QStringList{QStringLiteral("E:/other"), QStringLiteral("d:/游戏/串流助手/")};
             })), PcCheck::Failed, Fix::RegisterShortPath, ""},
            {"Chinese without a short path", PcCheck::driverFolder(with<D>(chinese, [](D &f) { f.shortPath.clear(); })),
             PcCheck::Failed, Fix::None, "C:\\Program Files\\OSTREL"},
            // Where the volume keeps no short names the "short" path is the long one.
            {"Chinese, short path not plain", PcCheck::driverFolder(with<D>(chinese, [](D &f) { f.shortPath = f.folder; })),
             PcCheck::Failed, Fix::None, ""},
        });
        QCOMPARE(PcCheck::readableDriverFolder(chinese.folder, chinese.shortPath), chinese.shortPath);
        QCOMPARE(PcCheck::readableDriverFolder(plain.folder, QStringLiteral("C:\\PROGRA~1\\OSTREL")), plain.folder);
    }

    void linkAndWifiBand()
    {
        using L = PcCheck::LinkFacts;
        L gigabit;
        gigabit.known = true;
        gigabit.kind = PcCheck::LinkKind::Ethernet;
        gigabit.interfaceName = QStringLiteral("Ethernet");
        gigabit.speedBitsPerSecond = 1000000000ull;
        L wifi = with<L>(gigabit, [](L &f) {
            f.kind = PcCheck::LinkKind::WiFi;
            f.speedBitsPerSecond = 866000000ull;
            f.wifiFrequencyMHz = 2437;
        });
        verifyCases({
            {"gigabit", PcCheck::link(gigabit), PcCheck::Passed, Fix::None, "1 Gbit/s"},
            {"2.5 gigabit", PcCheck::link(with<L>(gigabit, [](L &f) { f.speedBitsPerSecond = 2500000000ull; })), PcCheck::Passed, Fix::None, "2.5 Gbit/s"},
            {"100 Mbit/s", PcCheck::link(with<L>(gigabit, [](L &f) { f.speedBitsPerSecond = 100000000ull; })), PcCheck::Warning, Fix::None, "100 Mbit/s"},
            {"speed unknown", PcCheck::link(with<L>(gigabit, [](L &f) { f.speedBitsPerSecond = 0; })), PcCheck::CouldNotCheck, Fix::None, ""},
            {"Wi-Fi", PcCheck::link(wifi), PcCheck::Warning, Fix::None, "Wi-Fi"},
            {"unknown", PcCheck::link(L()), PcCheck::CouldNotCheck, Fix::None, ""},
            {"wired streaming needs no router", PcCheck::link(with<L>(wifi, [](L &f) { f.wiredMode = true; })), PcCheck::Passed, Fix::None, ""},
            {"band: not on Wi-Fi", PcCheck::wifiBand(gigabit), PcCheck::Passed, Fix::None, ""},
            {"band: 2.4 GHz", PcCheck::wifiBand(wifi), PcCheck::Warning, Fix::None, "2.4 GHz"},
            {"band: 5 GHz", PcCheck::wifiBand(with<L>(wifi, [](L &f) { f.wifiFrequencyMHz = 5180; })), PcCheck::Passed, Fix::None, "5 GHz"},
            {"band: 6 GHz", PcCheck::wifiBand(with<L>(wifi, [](L &f) { f.wifiFrequencyMHz = 5955; })), PcCheck::Passed, Fix::None, "6 GHz"},
            {"band: unknown", PcCheck::wifiBand(with<L>(wifi, [](L &f) { f.wifiFrequencyMHz = 0; })), PcCheck::CouldNotCheck, Fix::None, ""},
        });
    }

    void audioPowerAndSteam()
    {
        using P = PcCheck::PowerFacts;
        P saver;
        saver.known = true;
        saver.kind = PcCheck::PowerKind::PowerSaver;
        saver.name = QStringLiteral("节能");
        saver.toolFound = true;
        PcCheck::SteamFacts steam{true, QStringLiteral("C:\\Steam\\steamapps\\common\\SteamVR"), QStringLiteral("2.7.4.0")};
        using S = PcCheck::SteamFacts;
        verifyCases({
            {"no audio output", PcCheck::audio(PcCheck::AudioFacts{0, QString()}), PcCheck::Failed, Fix::InstallAudio, ""},
            {"an audio output", PcCheck::audio(PcCheck::AudioFacts{2, QStringLiteral("Speakers")}), PcCheck::Passed, Fix::None, "Speakers"},
            {"audio unknown", PcCheck::audio(PcCheck::AudioFacts{}), PcCheck::CouldNotCheck, Fix::None, ""},
            {"power saver", PcCheck::powerPlan(saver), PcCheck::Failed, Fix::SwitchPowerPlan, "节能"},
            {"power saver, no powercfg", PcCheck::powerPlan(with<P>(saver, [](P &f) { f.toolFound = false; })), PcCheck::Failed, Fix::None, ""},
            {"balanced", PcCheck::powerPlan(with<P>(saver, [](P &f) { f.kind = PcCheck::PowerKind::Balanced; })), PcCheck::Passed, Fix::None, ""},
            {"a plan of unknown kind", PcCheck::powerPlan(with<P>(saver, [](P &f) { f.kind = PcCheck::PowerKind::Unknown; })), PcCheck::CouldNotCheck, Fix::None, ""},
            {"power unknown", PcCheck::powerPlan(P()), PcCheck::CouldNotCheck, Fix::None, ""},
            {"Steam and SteamVR", PcCheck::steam(steam), PcCheck::Passed, Fix::None, "2.7.4.0"},
            {"no Steam", PcCheck::steam(with<S>(steam, [](S &f) { f.steamInstalled = false; })), PcCheck::Failed, Fix::InstallSteam, ""},
            {"no SteamVR", PcCheck::steam(with<S>(steam, [](S &f) { f.steamVrFolder.clear(); })), PcCheck::Failed, Fix::InstallSteamVr, ""},
            {"SteamVR's version unknown", PcCheck::steam(with<S>(steam, [](S &f) { f.steamVrVersion.clear(); })), PcCheck::Warning, Fix::None, ""},
        });
        QCOMPARE(arguments(PcCheck::powerPlanCommands()),
                 (QStringList{"powercfg|/setactive|8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c",
                              "powercfg|/setactive|381b4222-f694-41f0-9685-ff5bb260df2e"}));
    }

    void failureReasonNamesTheCause()
    {
        QCOMPARE(PcCheck::failureReason(QStringLiteral("\r\nSet-NetConnectionProfile : Access is denied.\r\nAt line:1\r\n"), 1, false, true),
                 QStringLiteral("Set-NetConnectionProfile : Access is denied."));
        QVERIFY(PcCheck::failureReason(QString(), 5, false, true).contains(QLatin1String("5")));
        QVERIFY(PcCheck::failureReason(QStringLiteral("half"), -1, true, true) != QLatin1String("half"));
        QVERIFY(PcCheck::failureReason(QStringLiteral("netsh: No such file"), -1, false, false) != QLatin1String("netsh: No such file"));
    }
};

QTEST_GUILESS_MAIN(TestPcCheck)
#include "tst_pccheck.moc"
