#pragma once

#include "pccheck.h"
#include "pccheckmodel.h"

#include <QHash>
#include <QJsonArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>

class QThreadPool;
class SettingsStore;
class SteamManager;
class SystemInfo;

// Runs the checks of "Check my PC" and their fixes. Each check gathers its facts on
// a worker thread within a time limit (past it the row says it could not check) and
// its result arrives on its own; the decision is PcCheck's. A fix changes only what it
// names, logs each step, and checks its row again; a fix that fails says why and stops.
// "Save a report for support" writes the zip on a worker too. Everything visible
// happens on the thread that owns the object (the GUI thread).
class PcChecker : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QAbstractItemModel *rows READ rows CONSTANT)
    Q_PROPERTY(bool checking READ checking NOTIFY checkingChanged)
    Q_PROPERTY(bool anyFailed READ anyFailed NOTIFY anyFailedChanged)

public:
    static constexpr int kCheckLimitMs = 15000;
    static constexpr int kFixLimitMs = 60000;

    // What a run knows before it starts, read on the owning thread.
    struct Context {
        QString driverFolder;        // the program's folder, where the streamer's driver lives
        QString homeFolder;
        QString vrpathFile;          // SteamVR's openvrpaths.vrpath
        QString toolsFolder;         // stand-ins for PowerShell, netsh, powercfg; empty: the system's
        QList<int> streamingPorts;   // ports no other program may hold
        QList<int> firewallPorts;    // TCP ports the firewall must let in
        bool wiredMode = false;
        QStringList adapters;        // display adapter names, the discrete one first
        bool steamInstalled = false;
        QString steamVrFolder;
        QString vrServerPath;        // SteamVR's server program
    };

    // Where facts come from and what fixes act on: systemEnvironment(), or stand-ins in tests.
    // The gatherers run on worker threads.
    struct Environment {
        std::function<Context()> context;
        std::function<PcCheck::GraphicsFacts(const Context &)> graphics;
        std::function<PcCheck::NetworkProfileFacts(const Context &)> networkProfile;
        std::function<PcCheck::FirewallFacts(const Context &)> firewall;
        std::function<PcCheck::PortFacts(const Context &)> ports;
        std::function<PcCheck::DriverFolderFacts(const Context &)> driverFolder;
        std::function<PcCheck::LinkFacts(const Context &)> link;
        std::function<PcCheck::AudioFacts(const Context &)> audio;
        std::function<PcCheck::PowerFacts(const Context &)> powerPlan;
        std::function<PcCheck::SteamFacts(const Context &)> steam;
        std::function<bool(const QUrl &)> openUrl;           // on the owning thread
        std::function<bool(const QString &appFolder)> installAudio; // on the owning thread
        std::function<bool(quint32 pid)> endProcess;          // on a worker
        // The report's inputs besides the results.
        std::function<QJsonObject()> inventory;
        std::function<QStringList()> logFiles;
        std::function<QString()> settingsFile;
        std::function<QString()> recentFile;
        std::function<QString()> reportFolder;
    };

    // The subsystems the system's environment asks; main hands in the program's own.
    struct Services {
        SettingsStore *settings = nullptr;
        SystemInfo *system = nullptr;
        SteamManager *steam = nullptr;
    };
    static Environment systemEnvironment(const Services &services);

    explicit PcChecker(Environment environment, QObject *parent = nullptr);
    ~PcChecker() override;

    QAbstractItemModel *rows() const;
    bool checking() const;
    bool anyFailed() const;

    // Runs every check again ("Check again").
    Q_INVOKABLE void checkAll();
    Q_INVOKABLE void check(const QString &id);
    // The question to ask before the fix of `id`; empty when it needs none.
    Q_INVOKABLE QString fixConfirmation(const QString &id) const;
    // Starts the fix of `id`; one that needs a confirmation runs only with `confirmed`.
    Q_INVOKABLE void applyFix(const QString &id, bool confirmed = false);
    Q_INVOKABLE void saveSupportReport();

    // What a fix did, and the sentence that says so (or why it failed).
    struct FixResult {
        bool ok = false;
        QString message;
    };
    // A tool's program: in the context's stand-in folder when it names one, else the system's.
    static QString toolPath(const Context &context, const QString &name);

    bool hasResult(const QString &id) const;
    PcCheck::Outcome outcome(const QString &id) const;
    // Every result: id, title, state, sentence, fix.
    QJsonArray resultsJson() const;
    void setTimeLimits(int checkMs, int fixMs);

signals:
    void checkingChanged();
    void anyFailedChanged();
    void resultReady(const QString &id);
    void checksFinished();
    void fixFinished(const QString &id, bool ok, const QString &message);
    void reportSaved(const QString &path);
    void reportFailed(const QString &reason);

private:
    struct Facts {
        PcCheck::GraphicsFacts graphics;
        PcCheck::NetworkProfileFacts networkProfile;
        PcCheck::FirewallFacts firewall;
        PcCheck::PortFacts ports;
        PcCheck::DriverFolderFacts driverFolder;
        PcCheck::LinkFacts link;
        PcCheck::AudioFacts audio;
        PcCheck::PowerFacts powerPlan;
        PcCheck::SteamFacts steam;
    };
    struct Slot {
        int generation = 0;          // the run whose answer counts
        bool busy = false;
        bool hasResult = false;
        PcCheck::Outcome outcome;
        Facts facts;
        Context context;
    };

    static std::pair<Facts, PcCheck::Outcome> gather(const Environment &environment, const QString &id,
                                                     const Context &context);
    static FixResult runToolFix(const QString &id, const Facts &facts, const Context &context, int limitMs,
                                const std::function<bool(quint32)> &endProcess);
    // Says why a fix cannot run now (unknown, busy, none offered, not confirmed); true when refused.
    bool refuseFix(const QString &id, bool confirmed);
    // The fixes that open a page or start an installer; false for the others.
    bool applyOpeningFix(const QString &id);
    void startToolFix(const QString &id);
    void start(const QString &id, const Context &context);
    void finish(const QString &id, int generation, const Facts &facts, const PcCheck::Outcome &outcome);
    void finishFix(const QString &id, int generation, const FixResult &result);
    void publish(const QString &id);
    void refreshFlags();

    Environment m_environment;
    PcCheckModel *m_model = nullptr;
    QThreadPool *m_pool = nullptr;
    QHash<QString, Slot> m_slots;
    QStringList m_runPending;        // checks of the current "check all" not answered yet
    bool m_checking = false;
    bool m_anyFailed = false;
    int m_checkLimitMs = kCheckLimitMs;
    int m_fixLimitMs = kFixLimitMs;
};
