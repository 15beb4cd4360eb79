#include "pcchecker.h"

#include "supportreport.h"

#include <QDebug>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QJsonObject>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent>

namespace {

const char kSessionFile[] = "./session.json";

} // namespace

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
