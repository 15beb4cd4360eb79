#pragma once

#include <QCoreApplication>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

// The decisions of "Check my PC": for each check, what the gathered facts mean
// (passed, warning, failed, could not check), one sentence for the user and the
// fix the program can offer. Pure functions of their facts, the same on every
// system; gathering the facts and running the fixes is PcChecker's.
class PcCheck
{
    Q_GADGET
    Q_DECLARE_TR_FUNCTIONS(PcCheck)
public:
    enum State { Passed, Warning, Failed, CouldNotCheck };
    Q_ENUM(State)

    enum class Fix {
        None,
        OpenDriverPage,
        MakeNetworkPrivate,
        AddFirewallRules,
        EndPortHolders,
        RegisterShortPath,
        InstallAudio,
        SwitchPowerPlan,
        InstallSteam,
        InstallSteamVr,
    };

    struct Outcome {
        State state = CouldNotCheck;
        QString sentence;
        Fix fix = Fix::None;
        QString fixLabel;
    };

    // Names in one sentence, separated as the language writes a list ("、", ", ").
    static QString listed(const QStringList &items);

    // The checks in the order the page lists them, by row id.
    static QStringList ids();
    static QString title(const QString &id);
    static QString stateName(State state);

    struct GraphicsFacts {
        QStringList adapters;        // display adapter names, the discrete one first
        bool tableRead = false;      // the GPU table could be read
        int bestScore = 0;           // the table's graphics score of the best adapter: 8 high, 4 mid
        QString bestAdapter;
        QString vendor;              // "nvidia", "amd", "intel" or empty, of the best adapter
        QString driverVersion;       // its installed driver, four parts; empty when unknown
        QString recommendedDriver;   // the table's recommended version for the vendor; empty when none
        bool builtInOutdated = false; // no recommendation: the program's own NVIDIA rule finds it old
    };
    static Outcome graphics(const GraphicsFacts &facts);
    // -1, 0 or 1 as a is older than, equal to or newer than b ("31.0.15.5176").
    static int compareVersions(const QString &a, const QString &b);
    static QString vendorOf(const QString &adapterOrManufacturer);
    static QString driverPage(const QString &vendor);

    struct Connection {
        QString name;
        quint32 interfaceIndex = 0;
        QString category;            // "Public", "Private", "Domain" or empty when unknown
    };
    struct NetworkProfileFacts {
        bool known = false;
        QList<Connection> connections;
        bool toolFound = false;      // PowerShell is there to change a category
    };
    static Outcome networkProfile(const NetworkProfileFacts &facts);

    struct FirewallRule {
        QString name;
        QString application;         // empty: any program
        int protocol = 256;          // 6 TCP, 17 UDP, 256 any
        QString localPorts;          // empty or "*": any port
    };
    struct FirewallFacts {
        bool known = false;
        QString error;
        bool filtersInbound = false;
        bool blocksAllInbound = false;
        QList<FirewallRule> allowRules;
        QString vrServerPath;        // SteamVR's server; empty when SteamVR was not found
        QList<int> ports;            // TCP ports that must be let in
        bool toolFound = false;      // netsh is there to add rules
    };
    // What no rule lets in: "program" targets name the program, "port" targets the TCP port.
    struct FirewallTarget {
        QString program;
        int port = 0;
        QString ruleName() const;
    };
    static QList<FirewallTarget> missingFirewallTargets(const FirewallFacts &facts);
    static bool ruleCoversPort(const FirewallRule &rule, int port);
    static Outcome firewall(const FirewallFacts &facts);

    struct PortHolder {
        int port = 0;
        quint32 pid = 0;
        QString name;
    };
    struct PortFacts {
        bool known = false;
        QString error;
        QList<PortHolder> holders;   // every owner of a watched port
        quint32 ownPid = 0;
    };
    // The holders that are neither this program, SteamVR, Steam, adb nor the system.
    static QList<PortHolder> foreignPortHolders(const PortFacts &facts);
    static Outcome ports(const PortFacts &facts);

    struct DriverFolderFacts {
        QString folder;              // the streamer's driver folder, native separators
        QString shortPath;           // its short (8.3) form; empty when the file system has none
        QStringList registered;      // SteamVR's "external_drivers" now
        QStringList syncRoots;       // folders a sync client keeps (OneDrive's from the environment)
    };
    static bool isPlainAscii(const QString &path);
    static QString syncedRoot(const DriverFolderFacts &facts);
    // The folder SteamVR is given: the short form when the folder is not plain ASCII
    // and the short form is; otherwise the folder itself.
    static QString readableDriverFolder(const QString &folder, const QString &shortPath);
    static Outcome driverFolder(const DriverFolderFacts &facts);

    enum class LinkKind { Unknown, Ethernet, WiFi, Other };
    struct LinkFacts {
        bool known = false;
        LinkKind kind = LinkKind::Unknown;
        QString interfaceName;
        quint64 speedBitsPerSecond = 0;
        int wifiFrequencyMHz = 0;
        bool wiredMode = false;      // streaming over the USB cable: the router is not used
    };
    static Outcome link(const LinkFacts &facts);
    static Outcome wifiBand(const LinkFacts &facts);
    static QString speedText(quint64 bitsPerSecond);

    struct AudioFacts {
        int outputs = -1;            // -1: unknown
        QString firstOutput;
    };
    static Outcome audio(const AudioFacts &facts);

    enum class PowerKind { Unknown, PowerSaver, Balanced, HighPerformance, UltimatePerformance };
    struct PowerFacts {
        bool known = false;
        PowerKind kind = PowerKind::Unknown;
        QString name;
        bool toolFound = false;      // powercfg is there to switch
    };
    static Outcome powerPlan(const PowerFacts &facts);

    struct SteamFacts {
        bool steamInstalled = false;
        QString steamVrFolder;
        QString steamVrVersion;
    };
    static Outcome steam(const SteamFacts &facts);

    // The command lines of the fixes that run a system tool: program name and arguments.
    struct ToolCommand {
        QString program;
        QStringList arguments;
    };
    static QList<ToolCommand> makePrivateCommands(const NetworkProfileFacts &facts);
    static QList<ToolCommand> firewallRuleCommands(const FirewallFacts &facts);
    // High performance first, Balanced when that plan is missing.
    static QList<ToolCommand> powerPlanCommands();
    // The first line that says why a tool failed.
    static QString failureReason(const QString &output, int exitCode, bool timedOut, bool started);
};
