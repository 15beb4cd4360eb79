#include "pcchecker.h"

#include "driverregistration.h"
#include "ipcsock.h"
#include "logmessagehandler.h"
#include "settingsstore.h"
#include "steammanager.h"
#include "systeminfo.h"

#include "platform/audio.h"
#include "platform/command_shell.h"
#include "platform/display.h"
#include "platform/file_version.h"
#include "platform/firewall.h"
#include "platform/network_link.h"
#include "platform/network_profile.h"
#include "platform/paths.h"
#include "platform/power_plan.h"
#include "platform/process.h"
#include "platform/program_run.h"
#include "platform/shell.h"
#include "platform/short_path.h"
#include "platform/steam_layout.h"
#include "platform/tcp_ports.h"

#include <QCoreApplication>
#include <QDate>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>

#include <map>

// Where the checks' facts come from on this system, and what the fixes act on.
namespace {

const char kCompareFile[] = "./compare.json";

QString fromStd(const std::string &s)
{
    return QString::fromUtf8(s.data(), static_cast<int>(s.size()));
}

int controlPort()
{
    bool ok = false;
    const int port = qEnvironmentVariableIntValue("OSTREL_CONTROL_PORT", &ok);
    return ok && port > 0 && port < 65536 ? port : IPCSock::kDefaultPort;
}

QString categoryName(platform::NetworkCategory category)
{
    switch (category) {
    case platform::NetworkCategory::Public: return QStringLiteral("Public");
    case platform::NetworkCategory::Private: return QStringLiteral("Private");
    case platform::NetworkCategory::Domain: return QStringLiteral("Domain");
    case platform::NetworkCategory::Unknown: break;
    }
    return QString();
}

PcCheck::LinkKind linkKind(platform::LinkKind kind)
{
    switch (kind) {
    case platform::LinkKind::Ethernet: return PcCheck::LinkKind::Ethernet;
    case platform::LinkKind::WiFi: return PcCheck::LinkKind::WiFi;
    case platform::LinkKind::Other: return PcCheck::LinkKind::Other;
    case platform::LinkKind::Unknown: break;
    }
    return PcCheck::LinkKind::Unknown;
}

PcCheck::PowerKind powerKind(platform::PowerPlanKind kind)
{
    switch (kind) {
    case platform::PowerPlanKind::PowerSaver: return PcCheck::PowerKind::PowerSaver;
    case platform::PowerPlanKind::Balanced: return PcCheck::PowerKind::Balanced;
    case platform::PowerPlanKind::HighPerformance: return PcCheck::PowerKind::HighPerformance;
    case platform::PowerPlanKind::UltimatePerformance: return PcCheck::PowerKind::UltimatePerformance;
    case platform::PowerPlanKind::Unknown: break;
    }
    return PcCheck::PowerKind::Unknown;
}

PcCheck::GraphicsFacts graphicsFacts(SettingsStore *settings, const PcChecker::Context &context)
{
    PcCheck::GraphicsFacts facts;
    facts.adapters = context.adapters;
    QFile table(QString::fromLatin1(kCompareFile));
    QJsonObject root;
    if (table.open(QIODevice::ReadOnly)) {
        const QJsonDocument document = QJsonDocument::fromJson(table.readAll());
        root = document.object();
        facts.tableRead = document.isObject() && root.value(QStringLiteral("graphics")).isObject();
    }
    if (!facts.tableRead)
        return facts;
    for (const QString &adapter : context.adapters) {
        // The CPU side left empty: the table's graphics score alone.
        const int score = settings->hardwareScore(QString(), adapter);
        if (facts.bestAdapter.isEmpty() || score > facts.bestScore) {
            facts.bestScore = score;
            facts.bestAdapter = adapter;
        }
    }
    facts.vendor = PcCheck::vendorOf(facts.bestAdapter);
    facts.recommendedDriver = root.value(QStringLiteral("driver")).toObject().value(facts.vendor).toString();
    QStringList nvidia;
    if (const auto devices = platform::displayDriverVersions()) {
        for (const auto &device : *devices) {
            for (const auto &driver : device.drivers) {
                const QString manufacturer = fromStd(driver.manufacturer);
                const QString version = fromStd(driver.version);
                if (manufacturer == QLatin1String("NVIDIA"))
                    nvidia << version;
                if (!facts.vendor.isEmpty() && PcCheck::vendorOf(manufacturer) == facts.vendor
                    && (facts.driverVersion.isEmpty() || PcCheck::compareVersions(version, facts.driverVersion) > 0))
                    facts.driverVersion = version;
            }
        }
    }
    if (facts.vendor == QLatin1String("nvidia"))
        facts.builtInOutdated = SystemInfo::isNvidiaDriverOutdated(nvidia);
    return facts;
}

PcCheck::NetworkProfileFacts networkProfileFacts(const PcChecker::Context &context)
{
    PcCheck::NetworkProfileFacts facts;
    const auto profiles = platform::connectedNetworkProfiles();
    facts.known = profiles.has_value();
    for (const auto &p : profiles.value_or(std::vector<platform::ConnectionProfile>()))
        facts.connections.append(PcCheck::Connection{fromStd(p.name), p.interfaceIndex, categoryName(p.category)});
    facts.toolFound = !PcChecker::toolPath(context, QStringLiteral("powershell")).isEmpty();
    return facts;
}

PcCheck::FirewallFacts firewallFacts(const PcChecker::Context &context)
{
    PcCheck::FirewallFacts facts;
    const platform::FirewallState state = platform::firewallState();
    facts.known = state.known;
    facts.error = fromStd(state.error);
    facts.filtersInbound = state.filtersInbound;
    facts.blocksAllInbound = state.blocksAllInbound;
    for (const auto &r : state.allowRules)
        facts.allowRules.append(
            PcCheck::FirewallRule{fromStd(r.name), fromStd(r.application), r.protocol, fromStd(r.localPorts)});
    facts.vrServerPath = context.vrServerPath;
    facts.ports = context.firewallPorts;
    facts.toolFound = !PcChecker::toolPath(context, QStringLiteral("netsh")).isEmpty();
    return facts;
}

PcCheck::PortFacts portFacts(const PcChecker::Context &context)
{
    PcCheck::PortFacts facts;
    facts.ownPid = platform::currentProcessId();
    std::string error;
    const auto rows = platform::tcpPortOwners(&error);
    facts.known = rows.has_value();
    facts.error = fromStd(error);
    if (!rows)
        return facts;
    std::map<std::uint32_t, QString> names;
    for (const auto &p : platform::listProcesses())
        names[p.pid] = fromStd(p.name);
    for (const auto &row : *rows) {
        if (!context.streamingPorts.contains(row.localPort))
            continue;
        const auto name = names.find(row.pid);
        facts.holders.append(PcCheck::PortHolder{row.localPort, row.pid,
                                                 name == names.end() ? QString::number(row.pid) : name->second});
    }
    return facts;
}

PcCheck::DriverFolderFacts driverFolderFacts(const PcChecker::Context &context)
{
    PcCheck::DriverFolderFacts facts;
    facts.folder = context.driverFolder;
    facts.shortPath = fromStd(platform::shortPathName(context.driverFolder.toStdString()));
    facts.registered = DriverRegistration(context.vrpathFile).drivers();
    for (const char *variable : {"OneDrive", "OneDriveConsumer", "OneDriveCommercial"}) {
        const QString root = qEnvironmentVariable(variable);
        if (!root.isEmpty())
            facts.syncRoots << root;
    }
    return facts;
}

PcCheck::LinkFacts linkFacts(const PcChecker::Context &context)
{
    PcCheck::LinkFacts facts;
    facts.wiredMode = context.wiredMode;
    if (const auto link = platform::defaultNetworkLink()) {
        facts.known = true;
        facts.kind = linkKind(link->kind);
        facts.interfaceName = fromStd(link->interfaceName);
        facts.speedBitsPerSecond = link->speedBitsPerSecond;
        facts.wifiFrequencyMHz = link->wifiFrequencyMHz;
    }
    return facts;
}

PcCheck::AudioFacts audioFacts(const PcChecker::Context &)
{
    PcCheck::AudioFacts facts;
    facts.outputs = platform::audioOutputCount();
    if (const auto first = platform::firstAudioOutput())
        facts.firstOutput = fromStd(first->name);
    return facts;
}

PcCheck::PowerFacts powerFacts(const PcChecker::Context &context)
{
    PcCheck::PowerFacts facts;
    if (const auto plan = platform::activePowerPlan()) {
        facts.known = true;
        facts.kind = powerKind(plan->kind);
        facts.name = fromStd(plan->name);
    }
    facts.toolFound = !PcChecker::toolPath(context, QStringLiteral("powercfg")).isEmpty();
    return facts;
}

// SteamVR's version: its server's file version where programs carry one, else the
// build Steam installed, from the library's app manifest.
QString steamVrVersion(const PcChecker::Context &context)
{
    if (const auto version = platform::fileVersion(context.vrServerPath.toStdString()))
        return fromStd(*version);
    QFile manifest(QDir(context.steamVrFolder).filePath(QStringLiteral("../../appmanifest_250820.acf")));
    if (!manifest.open(QIODevice::ReadOnly))
        return QString();
    const QRegularExpression buildId(QStringLiteral("\"buildid\"\\s+\"(\\d+)\""));
    const QRegularExpressionMatch match = buildId.match(QString::fromUtf8(manifest.readAll()));
    return match.hasMatch() ? QStringLiteral("build ") + match.captured(1) : QString();
}

PcCheck::SteamFacts steamFacts(const PcChecker::Context &context)
{
    PcCheck::SteamFacts facts;
    facts.steamInstalled = context.steamInstalled;
    facts.steamVrFolder = context.steamVrFolder;
    if (!context.steamVrFolder.isEmpty())
        facts.steamVrVersion = steamVrVersion(context);
    return facts;
}

// What a run knows before it starts: registry and settings answers, read on the owning thread.
std::function<PcChecker::Context()> systemContext(const PcChecker::Services &services)
{
    return [services] {
        PcChecker::Context c;
        c.driverFolder = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
        c.homeFolder = QDir::homePath();
        c.vrpathFile = fromStd(platform::openvrPathRegistryFile(c.homeFolder.toStdString()));
        c.toolsFolder = qEnvironmentVariable("OSTREL_SYSTEM_TOOLS");
        const int control = controlPort();
        c.streamingPorts = {9943, 9944, 50000, 50001, control};
        c.firewallPorts = {9943, 9944, control};
        c.wiredMode = services.settings->wiredOrWireless() == 1;
        c.adapters = services.system->graphics();
        c.steamInstalled = services.steam->isSteamInstalled();
        c.steamVrFolder = services.steam->steamVrInstallPath();
        if (!c.steamVrFolder.isEmpty()) {
            const platform::SteamLayout layout = platform::steamLayout(c.homeFolder.toStdString());
            c.vrServerPath = QDir::toNativeSeparators(QDir(c.steamVrFolder).filePath(fromStd(layout.vrServer)));
        }
        return c;
    };
}

// The report's inputs besides the results.
void addReportInputs(PcChecker::Environment &e, const PcChecker::Services &services)
{
    SystemInfo *info = services.system;
    SettingsStore *settings = services.settings;
    e.inventory = [info] {
        QJsonObject inventory = info->reportJson();
        inventory.insert(QStringLiteral("directX"), info->directX());
        inventory.insert(QStringLiteral("graphics"), QJsonArray::fromStringList(info->graphics()));
        inventory.insert(QStringLiteral("networkCategory"), info->networkCategory());
        return inventory;
    };
    e.logFiles = [] {
        const QDate today = QDate::currentDate();
        return QStringList{logFilePath(today.addDays(-1)), logFilePath(today)};
    };
    e.settingsFile = [settings] { return settings->settingsFilePath(); };
    e.recentFile = [settings] { return settings->recentFilePath(); };
    e.reportFolder = [] { return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation); };
}

} // namespace

QString PcChecker::toolPath(const Context &context, const QString &name)
{
    if (!context.toolsFolder.isEmpty()) {
        const QString path =
            QDir(context.toolsFolder).filePath(fromStd(platform::executableFileName(name.toStdString())));
        return QFileInfo::exists(path) ? path : QString();
    }
    return fromStd(platform::systemToolPath(name.toStdString()));
}

PcChecker::Environment PcChecker::systemEnvironment(const Services &services)
{
    Environment e;
    e.context = systemContext(services);
    SettingsStore *settings = services.settings;
    e.graphics = [settings](const Context &context) { return graphicsFacts(settings, context); };
    e.networkProfile = networkProfileFacts;
    e.firewall = firewallFacts;
    e.ports = portFacts;
    e.driverFolder = driverFolderFacts;
    e.link = linkFacts;
    e.audio = audioFacts;
    e.powerPlan = powerFacts;
    e.steam = steamFacts;
    e.openUrl = [](const QUrl &url) {
        // steam:// goes to Steam the way SteamVR's start does.
        if (url.scheme() == QLatin1String("steam"))
            return platform::openUrlDetached(url.toString().toStdString());
        return QDesktopServices::openUrl(url);
    };
    SystemInfo *info = services.system;
    e.installAudio = [info](const QString &appFolder) { return info->installVbCable(appFolder); };
    e.endProcess = [](quint32 pid) { return platform::terminateProcess(pid); };
    addReportInputs(e, services);
    return e;
}
