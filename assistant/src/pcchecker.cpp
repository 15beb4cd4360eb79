#include "pcchecker.h"

#include "driverregistration.h"
#include "ipcsock.h"
#include "logmessagehandler.h"
#include "settingsstore.h"
#include "steammanager.h"
#include "supportreport.h"
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
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent>

#include <map>

namespace {

const char kSteamDownloadUrl[] = "https://store.steampowered.com/about/";
const char kSteamVrInstallUrl[] = "steam://install/250820";
const char kSessionFile[] = "./session.json";
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

// The tool's program: in the stand-in folder when one is set, else where the system keeps it.
QString toolPath(const PcChecker::Context &context, const QString &name)
{
    if (!context.toolsFolder.isEmpty()) {
        const QString path =
            QDir(context.toolsFolder).filePath(fromStd(platform::executableFileName(name.toStdString())));
        return QFileInfo::exists(path) ? path : QString();
    }
    return fromStd(platform::systemToolPath(name.toStdString()));
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

PcCheck::GraphicsFacts graphicsFacts(const PcChecker::Context &context)
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
        const int score = SettingsStore::instance()->hardwareScore(QString(), adapter);
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
    facts.toolFound = !toolPath(context, QStringLiteral("powershell")).isEmpty();
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
    facts.toolFound = !toolPath(context, QStringLiteral("netsh")).isEmpty();
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
    facts.toolFound = !toolPath(context, QStringLiteral("powercfg")).isEmpty();
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

QString commandText(const QString &program, const QStringList &arguments)
{
    QStringList parts{program};
    for (const QString &a : arguments)
        parts << (a.contains(QLatin1Char(' ')) ? QLatin1Char('"') + a + QLatin1Char('"') : a);
    return parts.join(QLatin1Char(' '));
}

} // namespace

PcCheckModel::PcCheckModel(QObject *parent)
    : QAbstractListModel(parent)
{
    for (const QString &id : PcCheck::ids()) {
        Row row;
        row.id = id;
        row.title = PcCheck::title(id);
        m_rows.append(row);
    }
}

int PcCheckModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

QVariant PcCheckModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= m_rows.size())
        return QVariant();
    const Row &row = m_rows.at(index.row());
    switch (role) {
    case RowIdRole: return row.id;
    case Qt::DisplayRole:
    case TitleRole: return row.title;
    case StateRole: return row.state;
    case SentenceRole: return row.sentence;
    case FixLabelRole: return row.fixLabel;
    case BusyRole: return row.busy;
    default: return QVariant();
    }
}

QHash<int, QByteArray> PcCheckModel::roleNames() const
{
    return {{RowIdRole, "rowId"},       {TitleRole, "title"},       {StateRole, "state"},
            {SentenceRole, "sentence"}, {FixLabelRole, "fixLabel"}, {BusyRole, "busy"}};
}

const PcCheckModel::Row *PcCheckModel::row(const QString &id) const
{
    for (const Row &r : m_rows) {
        if (r.id == id)
            return &r;
    }
    return nullptr;
}

void PcCheckModel::update(const Row &row)
{
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].id == row.id) {
            m_rows[i] = row;
            emit dataChanged(index(i), index(i));
            return;
        }
    }
}

PcChecker::Environment PcChecker::systemEnvironment()
{
    Environment e;
    e.context = [] {
        Context c;
        c.driverFolder = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
        c.homeFolder = QDir::homePath();
        c.vrpathFile = fromStd(platform::openvrPathRegistryFile(c.homeFolder.toStdString()));
        c.toolsFolder = qEnvironmentVariable("OSTREL_SYSTEM_TOOLS");
        const int control = controlPort();
        c.streamingPorts = {9943, 9944, 50000, 50001, control};
        c.firewallPorts = {9943, 9944, control};
        c.wiredMode = SettingsStore::instance()->wiredOrWireless() == 1;
        c.adapters = SystemInfo::instance()->graphics();
        SteamManager *steam = SteamManager::instance();
        c.steamInstalled = steam->isSteamInstalled();
        c.steamVrFolder = steam->steamVrInstallPath();
        if (!c.steamVrFolder.isEmpty()) {
            const platform::SteamLayout layout = platform::steamLayout(c.homeFolder.toStdString());
            c.vrServerPath = QDir::toNativeSeparators(QDir(c.steamVrFolder).filePath(fromStd(layout.vrServer)));
        }
        return c;
    };
    e.graphics = graphicsFacts;
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
    e.installAudio = [](const QString &appFolder) {
        SystemInfo::instance()->installVbCable(appFolder);
        return true;
    };
    e.endProcess = [](quint32 pid) { return platform::terminateProcess(pid); };
    e.inventory = [] {
        SystemInfo *info = SystemInfo::instance();
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
    e.settingsFile = [] { return SettingsStore::instance()->settingsFilePath(); };
    e.recentFile = [] { return SettingsStore::instance()->recentFilePath(); };
    e.reportFolder = [] { return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation); };
    return e;
}

PcChecker::PcChecker(QObject *parent)
    : PcChecker(systemEnvironment(), parent)
{
}

PcChecker::PcChecker(Environment environment, QObject *parent)
    : QObject(parent)
    , m_environment(std::move(environment))
    , m_model(new PcCheckModel(this))
    , m_pool(new QThreadPool())
{
    // A check past its limit may still hold its thread; the others must not wait for it.
    m_pool->setMaxThreadCount(PcCheck::ids().size() + 2);
    for (const QString &id : PcCheck::ids())
        m_slots.insert(id, Slot());
}

PcChecker::~PcChecker()
{
    // A query stuck in the system (past its limit) would keep the program from ending:
    // its pool is left to the end of the process instead.
    if (m_pool->waitForDone(2000))
        delete m_pool;
    else
        qWarning() << "pc check: a check is still running at exit";
}

QAbstractItemModel *PcChecker::rows() const
{
    return m_model;
}

bool PcChecker::checking() const
{
    return m_checking;
}

bool PcChecker::anyFailed() const
{
    return m_anyFailed;
}

void PcChecker::setTimeLimits(int checkMs, int fixMs)
{
    m_checkLimitMs = checkMs;
    m_fixLimitMs = fixMs;
}

void PcChecker::checkAll()
{
    qInfo() << "pc check: checking all";
    const Context context = m_environment.context();
    m_runPending = PcCheck::ids();
    for (const QString &id : PcCheck::ids())
        start(id, context);
}

void PcChecker::check(const QString &id)
{
    if (!m_slots.contains(id)) {
        qWarning() << "pc check: no check named" << id;
        return;
    }
    start(id, m_environment.context());
}

void PcChecker::start(const QString &id, const Context &context)
{
    Slot &slot = m_slots[id];
    const int generation = ++slot.generation;
    slot.busy = true;
    slot.context = context;
    publish(id);

    using Answer = std::pair<Facts, PcCheck::Outcome>;
    auto *watcher = new QFutureWatcher<Answer>(this);
    connect(watcher, &QFutureWatcher<Answer>::finished, this, [this, watcher, id, generation] {
        const Answer answer = watcher->result();
        watcher->deleteLater();
        finish(id, generation, answer.first, answer.second);
    });
    const Environment environment = m_environment;
    watcher->setFuture(QtConcurrent::run(m_pool, [environment, id, context] { return gather(environment, id, context); }));
    QTimer::singleShot(m_checkLimitMs, this, [this, id, generation] {
        const Slot &s = m_slots[id];
        if (s.generation == generation && s.busy) {
            qWarning() << "pc check:" << id << "gave no answer within" << m_checkLimitMs << "ms";
            finish(id, generation, Facts(), PcCheck::Outcome{PcCheck::CouldNotCheck, tr("检查超时，请再检查一次。"),
                                                             PcCheck::Fix::None, QString()});
        }
    });
}

std::pair<PcChecker::Facts, PcCheck::Outcome> PcChecker::gather(const Environment &e, const QString &id,
                                                                const Context &context)
{
    Facts f;
    if (id == QLatin1String("graphics")) {
        f.graphics = e.graphics(context);
        return {f, PcCheck::graphics(f.graphics)};
    }
    if (id == QLatin1String("networkProfile")) {
        f.networkProfile = e.networkProfile(context);
        return {f, PcCheck::networkProfile(f.networkProfile)};
    }
    if (id == QLatin1String("firewall")) {
        f.firewall = e.firewall(context);
        return {f, PcCheck::firewall(f.firewall)};
    }
    if (id == QLatin1String("ports")) {
        f.ports = e.ports(context);
        return {f, PcCheck::ports(f.ports)};
    }
    if (id == QLatin1String("driverFolder")) {
        f.driverFolder = e.driverFolder(context);
        return {f, PcCheck::driverFolder(f.driverFolder)};
    }
    if (id == QLatin1String("link")) {
        f.link = e.link(context);
        return {f, PcCheck::link(f.link)};
    }
    if (id == QLatin1String("wifiBand")) {
        f.link = e.link(context);
        return {f, PcCheck::wifiBand(f.link)};
    }
    if (id == QLatin1String("audio")) {
        f.audio = e.audio(context);
        return {f, PcCheck::audio(f.audio)};
    }
    if (id == QLatin1String("powerPlan")) {
        f.powerPlan = e.powerPlan(context);
        return {f, PcCheck::powerPlan(f.powerPlan)};
    }
    f.steam = e.steam(context);
    return {f, PcCheck::steam(f.steam)};
}

void PcChecker::finish(const QString &id, int generation, const Facts &facts, const PcCheck::Outcome &outcome)
{
    Slot &slot = m_slots[id];
    if (slot.generation != generation || !slot.busy)
        return; // an answer after its time limit, or one a newer run replaced
    slot.busy = false;
    slot.hasResult = true;
    slot.facts = facts;
    slot.outcome = outcome;
    qInfo().noquote() << "pc check:" << id << PcCheck::stateName(outcome.state) << outcome.sentence;
    publish(id);
    emit resultReady(id);
    if (m_runPending.removeOne(id) && m_runPending.isEmpty())
        emit checksFinished();
}

void PcChecker::publish(const QString &id)
{
    const Slot &slot = m_slots[id];
    PcCheckModel::Row row;
    row.id = id;
    row.title = PcCheck::title(id);
    row.busy = slot.busy;
    if (slot.hasResult) {
        row.state = slot.outcome.state;
        row.sentence = slot.outcome.sentence;
        row.fixLabel = slot.outcome.fixLabel;
    }
    m_model->update(row);
    refreshFlags();
}

void PcChecker::refreshFlags()
{
    bool busy = false, failed = false;
    for (const Slot &slot : qAsConst(m_slots)) {
        busy = busy || slot.busy;
        failed = failed || (slot.hasResult && slot.outcome.state == PcCheck::Failed);
    }
    if (busy != m_checking) {
        m_checking = busy;
        emit checkingChanged();
    }
    if (failed != m_anyFailed) {
        m_anyFailed = failed;
        emit anyFailedChanged();
    }
}

bool PcChecker::hasResult(const QString &id) const
{
    return m_slots.value(id).hasResult;
}

PcCheck::Outcome PcChecker::outcome(const QString &id) const
{
    return m_slots.value(id).outcome;
}

QJsonArray PcChecker::resultsJson() const
{
    QJsonArray results;
    for (const QString &id : PcCheck::ids()) {
        const Slot slot = m_slots.value(id);
        QJsonObject o;
        o.insert(QStringLiteral("id"), id);
        o.insert(QStringLiteral("title"), PcCheck::title(id));
        o.insert(QStringLiteral("state"), slot.hasResult ? PcCheck::stateName(slot.outcome.state) : QStringLiteral("notChecked"));
        o.insert(QStringLiteral("sentence"), slot.outcome.sentence);
        o.insert(QStringLiteral("fix"), slot.outcome.fixLabel);
        results.append(o);
    }
    return results;
}

QString PcChecker::fixConfirmation(const QString &id) const
{
    const Slot slot = m_slots.value(id);
    if (!slot.hasResult || slot.outcome.fix != PcCheck::Fix::EndPortHolders)
        return QString();
    QStringList names;
    for (const PcCheck::PortHolder &h : PcCheck::foreignPortHolders(slot.facts.ports)) {
        if (!names.contains(h.name))
            names << h.name;
    }
    return tr("要结束 %1 吗？它未保存的内容会丢失。").arg(names.join(QStringLiteral("、")));
}

void PcChecker::applyFix(const QString &id, bool confirmed)
{
    if (!m_slots.contains(id)) {
        qWarning() << "pc check: no check named" << id;
        return;
    }
    Slot &slot = m_slots[id];
    const PcCheck::Fix fix = slot.hasResult ? slot.outcome.fix : PcCheck::Fix::None;
    if (slot.busy) {
        qInfo() << "pc check fix:" << id << "is busy";
        emit fixFinished(id, false, tr("请等这一项检查完再修复。"));
        return;
    }
    if (fix == PcCheck::Fix::None) {
        qInfo() << "pc check fix:" << id << "offers no fix";
        emit fixFinished(id, false, tr("这一项没有可用的修复。"));
        return;
    }
    if (fix == PcCheck::Fix::EndPortHolders && !confirmed) {
        qInfo() << "pc check fix:" << id << "not confirmed, nothing ended";
        emit fixFinished(id, false, tr("结束程序之前需要确认。"));
        return;
    }
    qInfo().noquote() << "pc check fix:" << id << slot.outcome.fixLabel;

    // Fixes that only open a page or start an installer act at once on this thread.
    auto done = [this, id](bool ok, const QString &message) {
        qInfo().noquote() << "pc check fix:" << id << (ok ? "done:" : "failed:") << message;
        emit fixFinished(id, ok, message);
        check(id);
    };
    switch (fix) {
    case PcCheck::Fix::OpenDriverPage: {
        const QString page = PcCheck::driverPage(slot.facts.graphics.vendor);
        const bool ok = m_environment.openUrl(QUrl(page));
        done(ok, ok ? tr("已打开显卡驱动的下载页。") : tr("修复失败：%1").arg(tr("无法打开 %1").arg(page)));
        return;
    }
    case PcCheck::Fix::InstallAudio: {
        const bool ok = m_environment.installAudio(QCoreApplication::applicationDirPath());
        done(ok, ok ? tr("已启动虚拟声卡的安装程序。") : tr("修复失败：%1").arg(tr("无法启动安装程序")));
        return;
    }
    case PcCheck::Fix::InstallSteam: {
        const bool ok = m_environment.openUrl(QUrl(QString::fromLatin1(kSteamDownloadUrl)));
        done(ok, ok ? tr("已打开 Steam 的下载页。") : tr("修复失败：%1").arg(tr("无法打开 Steam 的下载页")));
        return;
    }
    case PcCheck::Fix::InstallSteamVr: {
        const bool ok = m_environment.openUrl(QUrl(QString::fromLatin1(kSteamVrInstallUrl)));
        done(ok, ok ? tr("已请 Steam 安装 SteamVR。") : tr("修复失败：%1").arg(tr("无法打开 Steam")));
        return;
    }
    default:
        break;
    }

    const int generation = ++slot.generation;
    slot.busy = true;
    publish(id);
    auto *watcher = new QFutureWatcher<FixResult>(this);
    connect(watcher, &QFutureWatcher<FixResult>::finished, this, [this, watcher, id, generation] {
        const FixResult result = watcher->result();
        watcher->deleteLater();
        finishFix(id, generation, result);
    });
    const Facts facts = slot.facts;
    const Context context = slot.context;
    const int limit = m_fixLimitMs;
    const auto endProcess = m_environment.endProcess;
    watcher->setFuture(QtConcurrent::run(m_pool, [id, facts, context, limit, endProcess] {
        return runToolFix(id, facts, context, limit, endProcess);
    }));
    QTimer::singleShot(m_fixLimitMs + 1000, this, [this, id, generation] {
        const Slot &s = m_slots[id];
        if (s.generation == generation && s.busy)
            finishFix(id, generation, FixResult{false, tr("修复失败：%1").arg(tr("没有在规定时间内完成"))});
    });
}

PcChecker::FixResult PcChecker::runToolFix(const QString &id, const Facts &facts, const Context &context,
                                           int limitMs, const std::function<bool(quint32)> &endProcess)
{
    QElapsedTimer clock;
    clock.start();
    // Runs one tool command within what is left of the fix's time; false with the reason.
    auto run = [&](const PcCheck::ToolCommand &command, QString &reason) {
        const QString program = toolPath(context, command.program);
        if (program.isEmpty()) {
            reason = tr("找不到 %1").arg(command.program);
            qWarning().noquote() << "pc check fix:" << id << reason;
            return false;
        }
        platform::CommandSpec spec;
        spec.program = program.toStdString();
        for (const QString &a : command.arguments)
            spec.arguments.push_back(a.toStdString());
        const int left = qMax(1, limitMs - static_cast<int>(clock.elapsed()));
        const platform::ProgramResult r = platform::runProgram(spec, left);
        const QString output = fromStd(r.output);
        qInfo().noquote() << "pc check fix:" << id << "ran" << commandText(command.program, command.arguments)
                          << "exit" << r.exitCode << (r.timedOut ? "(timed out)" : "") << output.trimmed();
        if (r.started && !r.timedOut && r.exitCode == 0)
            return true;
        reason = PcCheck::failureReason(r.started ? output : fromStd(r.error), r.exitCode, r.timedOut, r.started);
        return false;
    };
    auto runAll = [&](const QList<PcCheck::ToolCommand> &commands, const QString &success) {
        if (commands.isEmpty())
            return FixResult{false, tr("修复失败：%1").arg(tr("没有需要修改的内容"))};
        for (const PcCheck::ToolCommand &command : commands) {
            QString reason;
            if (!run(command, reason))
                return FixResult{false, tr("修复失败：%1").arg(reason)};
        }
        return FixResult{true, success};
    };

    if (id == QLatin1String("networkProfile"))
        return runAll(PcCheck::makePrivateCommands(facts.networkProfile), tr("已把网络设为专用网络。"));
    if (id == QLatin1String("firewall"))
        return runAll(PcCheck::firewallRuleCommands(facts.firewall), tr("已添加防火墙规则。"));
    if (id == QLatin1String("powerPlan")) {
        const QList<PcCheck::ToolCommand> plans = PcCheck::powerPlanCommands();
        QString reason;
        if (run(plans.at(0), reason))
            return FixResult{true, tr("已切换到高性能电源计划。")};
        // Some PCs have no High performance plan: Balanced does not throttle either.
        if (run(plans.at(1), reason))
            return FixResult{true, tr("已切换到平衡电源计划。")};
        return FixResult{false, tr("修复失败：%1").arg(reason)};
    }
    if (id == QLatin1String("ports")) {
        QStringList ended;
        QList<quint32> pids;
        for (const PcCheck::PortHolder &h : PcCheck::foreignPortHolders(facts.ports)) {
            if (pids.contains(h.pid))
                continue;
            pids << h.pid;
            if (!endProcess(h.pid)) {
                qWarning().noquote() << "pc check fix: could not end" << h.name << h.pid;
                return FixResult{false, tr("修复失败：%1").arg(tr("无法结束 %1（进程 %2）").arg(h.name).arg(h.pid))};
            }
            qInfo().noquote() << "pc check fix: ended" << h.name << h.pid;
            ended << h.name;
        }
        return FixResult{true, tr("已结束 %1。").arg(ended.join(QStringLiteral("、")))};
    }
    if (id == QLatin1String("driverFolder")) {
        const QString readable = PcCheck::readableDriverFolder(facts.driverFolder.folder, facts.driverFolder.shortPath);
        QString error;
        if (readable == facts.driverFolder.folder
            || !DriverRegistration(context.vrpathFile).replaceFolder(facts.driverFolder.folder, readable, &error)) {
            qWarning().noquote() << "pc check fix:" << id << error;
            return FixResult{false, tr("修复失败：%1").arg(error.isEmpty() ? tr("没有短路径") : error)};
        }
        qInfo().noquote() << "pc check fix: registered" << readable << "in place of" << facts.driverFolder.folder;
        return FixResult{true, tr("已通过短路径 %1 注册驱动。").arg(readable)};
    }
    return FixResult{false, tr("这一项没有可用的修复。")};
}

void PcChecker::finishFix(const QString &id, int generation, const FixResult &result)
{
    Slot &slot = m_slots[id];
    if (slot.generation != generation || !slot.busy)
        return;
    slot.busy = false;
    publish(id);
    qInfo().noquote() << "pc check fix:" << id << (result.ok ? "done:" : "failed:") << result.message;
    emit fixFinished(id, result.ok, result.message);
    check(id);
}

void PcChecker::saveSupportReport()
{
    SupportReport::Inputs inputs;
    inputs.logFiles = m_environment.logFiles();
    inputs.settingsFile = m_environment.settingsFile();
    inputs.recentFile = m_environment.recentFile();
    inputs.sessionFile = QFileInfo(QString::fromLatin1(kSessionFile)).absoluteFilePath();
    inputs.vrpathFile = m_environment.context().vrpathFile;
    inputs.inventory = m_environment.inventory();
    inputs.checks = resultsJson();
    const QString folder = m_environment.reportFolder();
    auto *watcher = new QFutureWatcher<QPair<QString, QString>>(this);
    connect(watcher, &QFutureWatcher<QPair<QString, QString>>::finished, this, [this, watcher] {
        const QPair<QString, QString> answer = watcher->result();
        watcher->deleteLater();
        if (answer.first.isEmpty()) {
            qWarning().noquote() << "support report not written:" << answer.second;
            emit reportFailed(answer.second);
        } else {
            qInfo().noquote() << "support report written:" << answer.first;
            emit reportSaved(answer.first);
        }
    });
    watcher->setFuture(QtConcurrent::run(m_pool, [folder, inputs] {
        QString error;
        const QString path = SupportReport::write(folder, inputs, &error);
        return qMakePair(path, error);
    }));
}
