#include "pccheck.h"

#include "driverregistration.h"

#include <QDir>
#include <QRegularExpression>

namespace {

const char kHighPerformanceScheme[] = "8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c";
const char kBalancedScheme[] = "381b4222-f694-41f0-9685-ff5bb260df2e";
// Our firewall rules begin with this, so they can be found and removed by name.
const char kRulePrefix[] = "OSTREL Streaming Assistant - ";
// Folder names sync clients keep; a driver inside one may be a placeholder SteamVR cannot load.
const char *const kSyncFolderNames[] = {"OneDrive", "Dropbox", "Google Drive", "iCloudDrive", "iCloud Drive",
                                        "坚果云", "百度网盘"};

bool isInside(const QString &path, const QString &root)
{
    const QString p = DriverRegistration::normalised(path), r = DriverRegistration::normalised(root);
    return !r.isEmpty()
        && (p.compare(r, Qt::CaseInsensitive) == 0 || p.startsWith(r + QLatin1Char('/'), Qt::CaseInsensitive));
}

PcCheck::Outcome outcome(PcCheck::State state, const QString &sentence, PcCheck::Fix fix = PcCheck::Fix::None,
                         const QString &fixLabel = QString())
{
    return PcCheck::Outcome{state, sentence, fix, fixLabel};
}

} // namespace

QStringList PcCheck::ids()
{
    return {QStringLiteral("graphics"), QStringLiteral("networkProfile"), QStringLiteral("firewall"),
            QStringLiteral("ports"),    QStringLiteral("driverFolder"),   QStringLiteral("link"),
            QStringLiteral("wifiBand"), QStringLiteral("audio"),          QStringLiteral("powerPlan"),
            QStringLiteral("steam")};
}

QString PcCheck::listed(const QStringList &items)
{
    return items.join(tr("、"));
}

QString PcCheck::title(const QString &id)
{
    if (id == QLatin1String("graphics"))
        return tr("显卡和驱动");
    if (id == QLatin1String("networkProfile"))
        return tr("网络类型");
    if (id == QLatin1String("firewall"))
        return tr("防火墙");
    if (id == QLatin1String("ports"))
        return tr("串流端口");
    if (id == QLatin1String("driverFolder"))
        return tr("驱动文件夹");
    if (id == QLatin1String("link"))
        return tr("电脑的网络连接");
    if (id == QLatin1String("wifiBand"))
        return tr("Wi-Fi 频段");
    if (id == QLatin1String("audio"))
        return tr("音频输出");
    if (id == QLatin1String("powerPlan"))
        return tr("电源计划");
    if (id == QLatin1String("steam"))
        return tr("Steam 和 SteamVR");
    return id;
}

QString PcCheck::stateName(State state)
{
    switch (state) {
    case Passed: return QStringLiteral("passed");
    case Warning: return QStringLiteral("warning");
    case Failed: return QStringLiteral("failed");
    case CouldNotCheck: break;
    }
    return QStringLiteral("couldNotCheck");
}

int PcCheck::compareVersions(const QString &a, const QString &b)
{
    const QStringList x = a.split(QLatin1Char('.')), y = b.split(QLatin1Char('.'));
    for (int i = 0; i < qMax(x.size(), y.size()); ++i) {
        const qulonglong p = i < x.size() ? x[i].trimmed().toULongLong() : 0;
        const qulonglong q = i < y.size() ? y[i].trimmed().toULongLong() : 0;
        if (p != q)
            return p < q ? -1 : 1;
    }
    return 0;
}

QString PcCheck::vendorOf(const QString &name)
{
    if (name.contains(QLatin1String("nvidia"), Qt::CaseInsensitive))
        return QStringLiteral("nvidia");
    if (name.contains(QLatin1String("amd"), Qt::CaseInsensitive) || name.contains(QLatin1String("radeon"), Qt::CaseInsensitive)
        || name.contains(QLatin1String("advanced micro devices"), Qt::CaseInsensitive)
        || name.contains(QLatin1String("ati technologies"), Qt::CaseInsensitive))
        return QStringLiteral("amd");
    if (name.contains(QLatin1String("intel"), Qt::CaseInsensitive))
        return QStringLiteral("intel");
    return QString();
}

QString PcCheck::driverPage(const QString &vendor)
{
    if (vendor == QLatin1String("nvidia"))
        return QStringLiteral("https://www.nvidia.com/Download/index.aspx");
    if (vendor == QLatin1String("amd"))
        return QStringLiteral("https://www.amd.com/en/support/download/drivers.html");
    if (vendor == QLatin1String("intel"))
        return QStringLiteral("https://www.intel.com/content/www/us/en/download-center/home.html");
    return QString();
}

PcCheck::Outcome PcCheck::graphics(const GraphicsFacts &facts)
{
    if (facts.adapters.isEmpty())
        return outcome(CouldNotCheck, tr("没有找到显卡信息。"));
    if (!facts.tableRead)
        return outcome(CouldNotCheck, tr("显卡能力表缺失或已损坏，无法评估显卡。"));
    if (facts.bestScore < 4)
        return outcome(Failed, tr("显卡 %1 达不到串流的要求。").arg(listed(facts.adapters)));
    const bool old = facts.recommendedDriver.isEmpty()
        ? facts.builtInOutdated
        : (!facts.driverVersion.isEmpty() && compareVersions(facts.driverVersion, facts.recommendedDriver) < 0);
    const bool hasPage = !driverPage(facts.vendor).isEmpty();
    if (old) {
        const QString sentence = facts.recommendedDriver.isEmpty()
            ? tr("显卡驱动 %1 较旧，建议更新显卡驱动。").arg(facts.driverVersion)
            : tr("显卡驱动 %1 较旧，建议更新到 %2 或更新的版本。").arg(facts.driverVersion, facts.recommendedDriver);
        return hasPage ? outcome(Warning, sentence, Fix::OpenDriverPage, tr("打开驱动下载页"))
                       : outcome(Warning, sentence);
    }
    return outcome(Passed, tr("显卡 %1 可以串流。").arg(facts.bestAdapter));
}

PcCheck::Outcome PcCheck::networkProfile(const NetworkProfileFacts &facts)
{
    if (!facts.known)
        return outcome(CouldNotCheck, tr("无法读取网络类型。"));
    if (facts.connections.isEmpty())
        return outcome(Warning, tr("电脑当前没有连接网络。"));
    QStringList publicNames;
    bool unknown = false;
    bool fixable = false;
    for (const Connection &c : facts.connections) {
        if (c.category == QLatin1String("Public")) {
            publicNames << (c.name.isEmpty() ? tr("未命名网络") : c.name);
            fixable = fixable || c.interfaceIndex != 0;
        } else if (c.category != QLatin1String("Private") && c.category != QLatin1String("Domain")) {
            unknown = true;
        }
    }
    // Several adapters on one network (or several unnamed ones) name it once.
    publicNames.removeDuplicates();
    if (!publicNames.isEmpty()) {
        const QString sentence =
            tr("网络“%1”是公用网络，防火墙会拦截串流。").arg(listed(publicNames));
        if (fixable && facts.toolFound)
            return outcome(Failed, sentence, Fix::MakeNetworkPrivate, tr("设为专用网络"));
        return outcome(Failed, sentence);
    }
    if (unknown)
        return outcome(CouldNotCheck, tr("无法确定当前网络的类型。"));
    return outcome(Passed, tr("当前网络是专用网络或域网络。"));
}

QString PcCheck::FirewallTarget::ruleName() const
{
    if (!program.isEmpty())
        return QLatin1String(kRulePrefix) + QStringLiteral("SteamVR server");
    return QLatin1String(kRulePrefix) + QStringLiteral("TCP ") + QString::number(port);
}

bool PcCheck::ruleCoversPort(const FirewallRule &rule, int port)
{
    if (rule.protocol != 256 && rule.protocol != 6)
        return false;
    const QString ports = rule.localPorts.trimmed();
    if (ports.isEmpty() || ports == QLatin1String("*"))
        return true;
    for (const QString &part : ports.split(QLatin1Char(','))) {
        const QString p = part.trimmed();
        const int dash = p.indexOf(QLatin1Char('-'));
        bool ok1 = false, ok2 = false;
        if (dash > 0) {
            const int low = p.left(dash).toInt(&ok1), high = p.mid(dash + 1).toInt(&ok2);
            if (ok1 && ok2 && low <= port && port <= high)
                return true;
        } else if (p.toInt(&ok1) == port && ok1) {
            return true;
        }
    }
    return false;
}

QList<PcCheck::FirewallTarget> PcCheck::missingFirewallTargets(const FirewallFacts &facts)
{
    QList<FirewallTarget> missing;
    if (!facts.vrServerPath.isEmpty()) {
        bool covered = false;
        for (const FirewallRule &r : facts.allowRules) {
            const QString ports = r.localPorts.trimmed();
            const bool anyPort = ports.isEmpty() || ports == QLatin1String("*");
            if (anyPort && (r.application.isEmpty() ? r.protocol == 256 : DriverRegistration::samePath(r.application, facts.vrServerPath)))
                covered = true;
        }
        if (!covered)
            missing.append(FirewallTarget{facts.vrServerPath, 0});
    }
    for (int port : facts.ports) {
        bool covered = false;
        for (const FirewallRule &r : facts.allowRules)
            covered = covered || (r.application.isEmpty() && ruleCoversPort(r, port));
        if (!covered)
            missing.append(FirewallTarget{QString(), port});
    }
    return missing;
}

PcCheck::Outcome PcCheck::firewall(const FirewallFacts &facts)
{
    if (!facts.known)
        return outcome(CouldNotCheck, tr("无法读取防火墙规则。"));
    if (!facts.filtersInbound)
        return outcome(Passed, tr("防火墙没有拦截传入的连接。"));
    if (facts.blocksAllInbound)
        return outcome(Failed, tr("防火墙设置为阻止所有传入连接，规则无法放行串流。"));
    const QList<FirewallTarget> missing = missingFirewallTargets(facts);
    if (missing.isEmpty())
        return outcome(Passed, tr("防火墙已放行 SteamVR 服务器和串流端口。"));
    QStringList names;
    for (const FirewallTarget &t : missing)
        names << (t.program.isEmpty() ? QStringLiteral("TCP %1").arg(t.port) : tr("SteamVR 服务器"));
    const QString sentence = tr("防火墙没有放行：%1。").arg(listed(names));
    if (facts.toolFound)
        return outcome(Failed, sentence, Fix::AddFirewallRules, tr("添加防火墙规则"));
    return outcome(Failed, sentence);
}

QList<PcCheck::PortHolder> PcCheck::foreignPortHolders(const PortFacts &facts)
{
    // The same programs the port notice leaves out: SteamVR, Steam, adb and the system.
    static const char *const kOurs[] = {"vr", "steam", "System Process"};
    QList<PortHolder> others;
    for (const PortHolder &h : facts.holders) {
        if (h.pid == 0 || h.pid == facts.ownPid)
            continue;
        bool ours = h.name == QLatin1String("adb.exe") || h.name == QLatin1String("adb") || h.name == QLatin1String("System");
        for (const char *part : kOurs)
            ours = ours || h.name.contains(QLatin1String(part), Qt::CaseSensitive);
        bool seen = false;
        for (const PortHolder &o : others)
            seen = seen || (o.pid == h.pid && o.port == h.port);
        if (!ours && !seen)
            others.append(h);
    }
    return others;
}

PcCheck::Outcome PcCheck::ports(const PortFacts &facts)
{
    if (!facts.known)
        return outcome(CouldNotCheck, tr("无法读取端口的占用情况。"));
    const QList<PortHolder> others = foreignPortHolders(facts);
    if (others.isEmpty())
        return outcome(Passed, tr("串流端口没有被其他程序占用。"));
    QStringList programs, ports;
    for (const PortHolder &h : others) {
        if (!programs.contains(h.name))
            programs << h.name;
        if (!ports.contains(QString::number(h.port)))
            ports << QString::number(h.port);
    }
    const QString names = listed(programs);
    return outcome(Failed, tr("%1 占用了串流端口 %2。").arg(names, listed(ports)),
                   Fix::EndPortHolders, tr("结束 %1").arg(names));
}

bool PcCheck::isPlainAscii(const QString &path)
{
    for (const QChar c : path) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

QString PcCheck::syncedRoot(const DriverFolderFacts &facts)
{
    for (const QString &root : facts.syncRoots) {
        if (isInside(facts.folder, root))
            return QDir::toNativeSeparators(root);
    }
    const QStringList parts = DriverRegistration::normalised(facts.folder).split(QLatin1Char('/'));
    for (const QString &part : parts) {
        for (const char *name : kSyncFolderNames) {
            const QString n = QString::fromUtf8(name);
            if (part.compare(n, Qt::CaseInsensitive) == 0 || part.startsWith(n + QStringLiteral(" - "), Qt::CaseInsensitive))
                return part;
        }
    }
    return QString();
}

QString PcCheck::readableDriverFolder(const QString &folder, const QString &shortPath)
{
    if (!isPlainAscii(folder) && !shortPath.isEmpty() && isPlainAscii(shortPath))
        return shortPath;
    return folder;
}

PcCheck::Outcome PcCheck::driverFolder(const DriverFolderFacts &facts)
{
    const QString where = QStringLiteral("C:\\Program Files\\OSTREL");
    const QString synced = syncedRoot(facts);
    if (!synced.isEmpty())
        return outcome(Failed, tr("驱动文件夹在同步文件夹 %1 中，SteamVR 无法从这里加载驱动。请把程序移到本地文件夹，例如 %2。")
                                   .arg(synced, where));
    if (isPlainAscii(facts.folder))
        return outcome(Passed, tr("驱动文件夹的路径 SteamVR 可以读取。"));
    const QString readable = readableDriverFolder(facts.folder, facts.shortPath);
    if (readable == facts.folder)
        return outcome(Failed, tr("驱动文件夹的路径含有中文等字符，SteamVR 无法读取，这个磁盘也没有短路径。请把程序移到只含英文字母和数字的文件夹，例如 %1。")
                                   .arg(where));
    for (const QString &entry : facts.registered) {
        if (DriverRegistration::samePath(entry, facts.folder))
            return outcome(Failed, tr("驱动以含有中文的路径注册，SteamVR 无法读取。"), Fix::RegisterShortPath,
                           tr("通过短路径注册"));
    }
    return outcome(Passed, tr("驱动文件夹的路径含有中文等字符，SteamVR 通过短路径 %1 加载驱动。").arg(readable));
}

QString PcCheck::speedText(quint64 bitsPerSecond)
{
    if (bitsPerSecond >= 1000000000ull && bitsPerSecond % 1000000000ull == 0)
        return QStringLiteral("%1 Gbit/s").arg(bitsPerSecond / 1000000000ull);
    if (bitsPerSecond >= 1000000000ull)
        return QStringLiteral("%1 Gbit/s").arg(double(bitsPerSecond) / 1e9, 0, 'f', 1);
    return QStringLiteral("%1 Mbit/s").arg(bitsPerSecond / 1000000ull);
}

PcCheck::Outcome PcCheck::link(const LinkFacts &facts)
{
    if (facts.wiredMode)
        return outcome(Passed, tr("有线串流不经过路由器。"));
    if (!facts.known)
        return outcome(CouldNotCheck, tr("无法确定电脑怎样连接路由器。"));
    switch (facts.kind) {
    case LinkKind::WiFi:
        return outcome(Warning, tr("电脑通过 Wi-Fi 连接路由器。无线串流时，建议用网线把电脑接到路由器的千兆网口。"));
    case LinkKind::Ethernet:
        if (facts.speedBitsPerSecond == 0)
            return outcome(CouldNotCheck, tr("电脑用网线连接路由器，但读不到连接速率。"));
        if (facts.speedBitsPerSecond < 1000000000ull)
            return outcome(Warning, tr("电脑与路由器的网线连接只有 %1，建议使用千兆网线和千兆网口。")
                                        .arg(speedText(facts.speedBitsPerSecond)));
        return outcome(Passed, tr("电脑用网线以 %1 连接路由器。").arg(speedText(facts.speedBitsPerSecond)));
    case LinkKind::Other:
    case LinkKind::Unknown:
        break;
    }
    return outcome(CouldNotCheck, tr("电脑通过 %1 上网，无法判断它与路由器的连接。").arg(facts.interfaceName));
}

PcCheck::Outcome PcCheck::wifiBand(const LinkFacts &facts)
{
    if (!facts.known)
        return outcome(CouldNotCheck, tr("无法确定电脑是否使用 Wi-Fi。"));
    if (facts.kind != LinkKind::WiFi)
        return outcome(Passed, tr("电脑没有使用 Wi-Fi。"));
    if (facts.wifiFrequencyMHz <= 0)
        return outcome(CouldNotCheck, tr("无法读取电脑所连 Wi-Fi 的频段。"));
    if (facts.wifiFrequencyMHz < 4900)
        return outcome(Warning, tr("电脑连接的是 2.4 GHz 的 Wi-Fi，建议改连 5 GHz 或 6 GHz 的 Wi-Fi。"));
    if (facts.wifiFrequencyMHz >= 5925)
        return outcome(Passed, tr("电脑连接的是 6 GHz 的 Wi-Fi。"));
    return outcome(Passed, tr("电脑连接的是 5 GHz 的 Wi-Fi。"));
}

PcCheck::Outcome PcCheck::audio(const AudioFacts &facts)
{
    if (facts.outputs < 0)
        return outcome(CouldNotCheck, tr("无法读取音频输出设备。"));
    if (facts.outputs == 0)
        return outcome(Failed, tr("电脑没有音频输出设备，串流时没有声音。"), Fix::InstallAudio, tr("安装虚拟声卡"));
    return outcome(Passed, tr("音频输出设备：%1。").arg(facts.firstOutput));
}

PcCheck::Outcome PcCheck::powerPlan(const PowerFacts &facts)
{
    if (!facts.known)
        return outcome(CouldNotCheck, tr("无法读取电源计划。"));
    switch (facts.kind) {
    case PowerKind::PowerSaver: {
        const QString sentence = tr("电源计划“%1”是节能计划，会限制显卡性能。").arg(facts.name);
        if (facts.toolFound)
            return outcome(Failed, sentence, Fix::SwitchPowerPlan, tr("切换到高性能"));
        return outcome(Failed, sentence);
    }
    case PowerKind::Balanced:
    case PowerKind::HighPerformance:
    case PowerKind::UltimatePerformance:
        return outcome(Passed, tr("电源计划“%1”不限制显卡性能。").arg(facts.name));
    case PowerKind::Unknown:
        break;
    }
    return outcome(CouldNotCheck, tr("无法判断电源计划“%1”是否节能。").arg(facts.name));
}

PcCheck::Outcome PcCheck::steam(const SteamFacts &facts)
{
    if (!facts.steamInstalled)
        return outcome(Failed, tr("没有安装 Steam。"), Fix::InstallSteam, tr("安装 Steam"));
    if (facts.steamVrFolder.isEmpty())
        return outcome(Failed, tr("没有安装 SteamVR。"), Fix::InstallSteamVr, tr("安装 SteamVR"));
    if (facts.steamVrVersion.isEmpty())
        return outcome(Warning, tr("Steam 和 SteamVR 已安装，但读不到 SteamVR 的版本。"));
    return outcome(Passed, tr("Steam 和 SteamVR 已安装，SteamVR 版本 %1。").arg(facts.steamVrVersion));
}

QList<PcCheck::ToolCommand> PcCheck::makePrivateCommands(const NetworkProfileFacts &facts)
{
    QList<ToolCommand> commands;
    for (const Connection &c : facts.connections) {
        if (c.category == QLatin1String("Public") && c.interfaceIndex != 0)
            commands.append(ToolCommand{QStringLiteral("powershell"),
                                        {QStringLiteral("-NoProfile"), QStringLiteral("-NonInteractive"),
                                         QStringLiteral("-Command"),
                                         QStringLiteral("Set-NetConnectionProfile -InterfaceIndex %1 -NetworkCategory Private")
                                             .arg(c.interfaceIndex)}});
    }
    return commands;
}

QList<PcCheck::ToolCommand> PcCheck::firewallRuleCommands(const FirewallFacts &facts)
{
    QList<ToolCommand> commands;
    for (const FirewallTarget &t : missingFirewallTargets(facts)) {
        QStringList args = {QStringLiteral("advfirewall"), QStringLiteral("firewall"), QStringLiteral("add"),
                            QStringLiteral("rule"), QStringLiteral("name=") + t.ruleName(), QStringLiteral("dir=in"),
                            QStringLiteral("action=allow")};
        if (!t.program.isEmpty())
            args << QStringLiteral("program=") + QDir::toNativeSeparators(t.program);
        else
            args << QStringLiteral("protocol=TCP") << QStringLiteral("localport=%1").arg(t.port);
        args << QStringLiteral("enable=yes") << QStringLiteral("profile=any");
        commands.append(ToolCommand{QStringLiteral("netsh"), args});
    }
    return commands;
}

QList<PcCheck::ToolCommand> PcCheck::powerPlanCommands()
{
    return {ToolCommand{QStringLiteral("powercfg"), {QStringLiteral("/setactive"), QLatin1String(kHighPerformanceScheme)}},
            ToolCommand{QStringLiteral("powercfg"), {QStringLiteral("/setactive"), QLatin1String(kBalancedScheme)}}};
}

QString PcCheck::failureReason(const QString &output, int exitCode, bool timedOut, bool started)
{
    if (!started)
        return tr("无法启动所需的系统工具");
    if (timedOut)
        return tr("系统工具没有在规定时间内完成");
    // Tools name the cause in their first non-empty line ("Access is denied.", "拒绝访问。").
    for (const QString &line : output.split(QRegularExpression(QStringLiteral("[\r\n]+")))) {
        const QString text = line.trimmed();
        if (!text.isEmpty())
            return text;
    }
    return tr("退出码 %1").arg(exitCode);
}
