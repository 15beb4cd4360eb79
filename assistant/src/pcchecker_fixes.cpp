#include "pcchecker.h"

#include "driverregistration.h"

#include "platform/program_run.h"
#include "platform/system_facts.h"

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent>

// The fixes of "Check my PC": what each changes, how it says why it failed.
namespace {

const char kSteamDownloadUrl[] = "https://store.steampowered.com/about/";
const char kSteamVrInstallUrl[] = "steam://install/250820";

QString fromStd(const std::string &s)
{
    return QString::fromUtf8(s.data(), static_cast<int>(s.size()));
}

QString commandText(const QString &program, const QStringList &arguments)
{
    QStringList parts{program};
    for (const QString &a : arguments)
        parts << (a.contains(QLatin1Char(' ')) ? QLatin1Char('"') + a + QLatin1Char('"') : a);
    return parts.join(QLatin1Char(' '));
}

QString failed(const QString &reason)
{
    return PcChecker::tr("修复失败：%1").arg(reason);
}

// Runs a fix's tool commands one after another within the fix's time, logging each.
class ToolRun
{
public:
    ToolRun(const QString &id, const PcChecker::Context &context, int limitMs)
        : m_id(id), m_context(context), m_limitMs(limitMs)
    {
        m_clock.start();
    }

    // One command within what is left of the time; false with the reason.
    bool run(const PcCheck::ToolCommand &command, QString &reason)
    {
        const QString program = PcChecker::toolPath(m_context, command.program);
        if (program.isEmpty()) {
            reason = PcChecker::tr("找不到 %1").arg(command.program);
            qWarning().noquote() << "pc check fix:" << m_id << reason;
            return false;
        }
        platform::ProgramCommand invocation;
        invocation.program = program.toStdString();
        for (const QString &a : command.arguments)
            invocation.arguments.push_back(a.toStdString());
        const int left = qMax(1, m_limitMs - static_cast<int>(m_clock.elapsed()));
        const platform::ProgramResult r = platform::runProgram(invocation, left);
        const QString output = fromStd(r.output);
        qInfo().noquote() << "pc check fix:" << m_id << "ran" << commandText(command.program, command.arguments)
                          << "exit" << r.exitCode << (r.timedOut ? "(timed out)" : "") << output.trimmed();
        if (r.started && !r.timedOut && r.exitCode == 0)
            return true;
        reason = PcCheck::failureReason(r.started ? output : fromStd(r.error), r.exitCode, r.timedOut, r.started);
        return false;
    }

    // Every command, stopping at the first that fails.
    PcChecker::FixResult runAll(const QList<PcCheck::ToolCommand> &commands, const QString &success)
    {
        if (commands.isEmpty())
            return {false, failed(PcChecker::tr("没有需要修改的内容"))};
        for (const PcCheck::ToolCommand &command : commands) {
            QString reason;
            if (!run(command, reason))
                return {false, failed(reason)};
        }
        return {true, success};
    }

private:
    QString m_id;
    PcChecker::Context m_context;
    int m_limitMs;
    QElapsedTimer m_clock;
};

PcChecker::FixResult switchPowerPlan(ToolRun &tools)
{
    const QList<PcCheck::ToolCommand> plans = PcCheck::powerPlanCommands();
    QString reason;
    if (tools.run(plans.at(0), reason))
        return {true, PcChecker::tr("已切换到高性能电源计划。")};
    // Some PCs have no High performance plan: Balanced does not throttle either.
    if (tools.run(plans.at(1), reason))
        return {true, PcChecker::tr("已切换到平衡电源计划。")};
    return {false, failed(reason)};
}

PcChecker::FixResult endPortHolders(const PcCheck::PortFacts &facts, const std::function<bool(quint32)> &endProcess)
{
    QStringList ended;
    QList<quint32> pids;
    for (const PcCheck::PortHolder &h : PcCheck::foreignPortHolders(facts)) {
        if (pids.contains(h.pid))
            continue;
        pids << h.pid;
        if (!endProcess(h.pid)) {
            qWarning().noquote() << "pc check fix: could not end" << h.name << h.pid;
            return {false, failed(PcChecker::tr("无法结束 %1（进程 %2）").arg(h.name).arg(h.pid))};
        }
        qInfo().noquote() << "pc check fix: ended" << h.name << h.pid;
        ended << h.name;
    }
    return {true, PcChecker::tr("已结束 %1。").arg(PcCheck::listed(ended))};
}

PcChecker::FixResult registerShortPath(const PcCheck::DriverFolderFacts &facts, const QString &vrpathFile)
{
    const QString readable = PcCheck::readableDriverFolder(facts.folder, facts.shortPath);
    QString error;
    if (readable == facts.folder || !DriverRegistration(vrpathFile).replaceFolder(facts.folder, readable, &error)) {
        qWarning().noquote() << "pc check fix: driverFolder" << error;
        return {false, failed(error.isEmpty() ? PcChecker::tr("没有短路径") : error)};
    }
    qInfo().noquote() << "pc check fix: registered" << readable << "in place of" << facts.folder;
    return {true, PcChecker::tr("已通过短路径 %1 注册驱动。").arg(readable)};
}

} // namespace

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
    return tr("要结束 %1 吗？它未保存的内容会丢失。").arg(PcCheck::listed(names));
}

void PcChecker::applyFix(const QString &id, bool confirmed)
{
    if (refuseFix(id, confirmed))
        return;
    qInfo().noquote() << "pc check fix:" << id << m_slots[id].outcome.fixLabel;
    if (!applyOpeningFix(id))
        startToolFix(id);
}

bool PcChecker::refuseFix(const QString &id, bool confirmed)
{
    if (!m_slots.contains(id)) {
        qWarning() << "pc check: no check named" << id;
        return true;
    }
    const Slot &slot = m_slots[id];
    const PcCheck::Fix fix = slot.hasResult ? slot.outcome.fix : PcCheck::Fix::None;
    if (slot.busy) {
        qInfo() << "pc check fix:" << id << "is busy";
        emit fixFinished(id, false, tr("请等这一项检查完再修复。"));
        return true;
    }
    if (fix == PcCheck::Fix::None) {
        qInfo() << "pc check fix:" << id << "offers no fix";
        emit fixFinished(id, false, tr("这一项没有可用的修复。"));
        return true;
    }
    if (fix == PcCheck::Fix::EndPortHolders && !confirmed) {
        qInfo() << "pc check fix:" << id << "not confirmed, nothing ended";
        emit fixFinished(id, false, tr("结束程序之前需要确认。"));
        return true;
    }
    return false;
}

bool PcChecker::applyOpeningFix(const QString &id)
{
    const Slot &slot = m_slots[id];
    bool ok = false;
    QString message;
    switch (slot.outcome.fix) {
    case PcCheck::Fix::OpenDriverPage: {
        const QString page = PcCheck::driverPage(slot.facts.graphics.vendor);
        ok = m_environment.openUrl(QUrl(page));
        message = ok ? tr("已打开显卡驱动的下载页。") : failed(tr("无法打开 %1").arg(page));
        break;
    }
    case PcCheck::Fix::InstallAudio:
        ok = m_environment.installAudio(QCoreApplication::applicationDirPath());
        message = ok ? tr("已启动虚拟声卡的安装程序。") : failed(tr("无法启动安装程序"));
        break;
    case PcCheck::Fix::InstallSteam:
        ok = m_environment.openUrl(QUrl(QString::fromLatin1(kSteamDownloadUrl)));
        message = ok ? tr("已打开 Steam 的下载页。") : failed(tr("无法打开 Steam 的下载页"));
        break;
    case PcCheck::Fix::InstallSteamVr:
        ok = m_environment.openUrl(QUrl(QString::fromLatin1(kSteamVrInstallUrl)));
        message = ok ? tr("已请 Steam 安装 SteamVR。") : failed(tr("无法打开 Steam"));
        break;
    default:
        return false;
    }
    // These act at once on this thread; the row is checked again all the same.
    qInfo().noquote() << "pc check fix:" << id << (ok ? "done:" : "failed:") << message;
    emit fixFinished(id, ok, message);
    check(id);
    return true;
}

void PcChecker::startToolFix(const QString &id)
{
    Slot &slot = m_slots[id];
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
            finishFix(id, generation, FixResult{false, failed(tr("没有在规定时间内完成"))});
    });
}

PcChecker::FixResult PcChecker::runToolFix(const QString &id, const Facts &facts, const Context &context,
                                           int limitMs, const std::function<bool(quint32)> &endProcess)
{
    ToolRun tools(id, context, limitMs);
    if (id == QLatin1String("networkProfile"))
        return tools.runAll(PcCheck::makePrivateCommands(facts.networkProfile), tr("已把网络设为专用网络。"));
    if (id == QLatin1String("firewall"))
        return tools.runAll(PcCheck::firewallRuleCommands(facts.firewall), tr("已添加防火墙规则。"));
    if (id == QLatin1String("powerPlan"))
        return switchPowerPlan(tools);
    if (id == QLatin1String("ports"))
        return endPortHolders(facts.ports, endProcess);
    if (id == QLatin1String("driverFolder"))
        return registerShortPath(facts.driverFolder, context.vrpathFile);
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
