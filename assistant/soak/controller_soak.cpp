// Soak of the streaming controller: NerevManager runs for a long spell against
// the simulators of its test world (controllerworld.h: fake Steam and SteamVR,
// streamer-sim, fake adb, the local cloud server) and must hand back what it
// took. `make soak` builds it with ASan and UBSan and runs it with leak
// detection; not part of the test suite.
//
//   - headset cycles: the controller connects one of the two headsets the
//     streamer reports; then either the user disconnects it, or the headset
//     goes away (the streamer comes back without it, the control connection
//     dropping meanwhile) and returns, and the controller links it again;
//   - mode switches, wired <-> wireless, through the controller's own property,
//     each with its SteamVR restart, waiting out the refusal window with the
//     event loop;
//   - quality changes as the settings dialog makes them (setVideoQuilty for
//     the custom preset, then setEffects), each with its SteamVR restart.
//
// After a warm-up of a few rounds of each, and again at the end (both after
// the world has settled and the allocator has handed back its free memory),
// it counts the open descriptors and the threads and reads the resident size
// and, under ASan, the live heap. It fails (exit code 1, one line saying why)
// when a step does not happen, when descriptors or threads do not come back
// to their count after the warm-up, or when memory grew by 5 % or more: the
// live heap under ASan, the resident size otherwise (see kJudgeHeap). The
// controller and the world are torn down before exit, so that LeakSanitizer's
// report at exit is about our code.
//
// OSTREL_SOAK_HEADSET_CYCLES, OSTREL_SOAK_MODE_SWITCHES and
// OSTREL_SOAK_QUALITY_CHANGES size it (default 200, 20, 20); OSTREL_SOAK_LOG=FILE
// keeps the controller's whole log; OSTREL_SOAK_HEAP_PROFILE=1 prints ASan's
// live heap by allocation stack at both readings.
#include "controllerworld.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QMutex>
#include <QThreadPool>
#include <QTime>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <functional>
#include <iostream>

#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define OSTREL_SOAK_ASAN 1
#endif
#elif defined(__SANITIZE_ADDRESS__)
#define OSTREL_SOAK_ASAN 1
#endif
#ifdef OSTREL_SOAK_ASAN
#include <sanitizer/allocator_interface.h>
#include <sanitizer/asan_interface.h>
#include <sanitizer/common_interface_defs.h>
#endif

namespace {

constexpr double kMemoryGrowthLimitPercent = 5.0;
// Which memory the limit applies to. Under ASan the resident size mostly
// measures the sanitizer: its allocator keeps pages that a few live chunks
// pin, its shadow and stack store grow as the run meets new pages and call
// paths (several MB over a full run whose live heap stays flat), so there the
// limit applies to the live heap as ASan's allocator counts it, freed memory
// in quarantine excluded. Without ASan it applies to the resident size.
#ifdef OSTREL_SOAK_ASAN
constexpr bool kJudgeHeap = true;
#else
constexpr bool kJudgeHeap = false;
#endif
// Descriptors and threads still above their start count get this long to
// come back (a helper process being reaped, a connection closing).
constexpr int kReturnWaitMs = 10000;
constexpr int kStepTimeoutMs = 15000;
constexpr int kRestartTimeoutMs = 30000;

struct Headset {
    QString name;
    QString ip;
};

const Headset kHeadsets[] = { { QStringLiteral("KZ3C7A91B2D4E6F8"), QStringLiteral("192.168.0.7") },
                              { QStringLiteral("KY2B5D03A9C1E7F4"), QStringLiteral("192.168.0.8") } };

QStringList streamerWithHeadsets()
{
    QStringList args;
    for (const Headset &headset : kHeadsets)
        args << QStringLiteral("--headset") << headset.name + QLatin1Char(';') + headset.ip + QStringLiteral(";false");
    return args << QStringLiteral("--link-delay-ms") << QStringLiteral("100");
}

// ---- Waiting with the event loop (the GUI thread never sleeps)

bool waitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    if (condition())
        return true;
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (condition())
            loop.quit();
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    poll.start(50);
    deadline.start(timeoutMs);
    loop.exec();
    return condition();
}

void pause(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// ---- What the process holds

struct Resources {
    int fds = 0;
    int threads = 0;
    qint64 rssKb = 0;
    qint64 heapBytes = -1; // live heap as the sanitizer's allocator counts it
    QMap<QString, QString> fdTargets;
    QMap<QString, QString> threadNames;
};

QString firstLine(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readLine()).trimmed();
}

QString readLink(const QString &path)
{
    char target[4096];
    const ssize_t size = ::readlink(QFile::encodeName(path).constData(), target, sizeof target - 1);
    return size > 0 ? QString::fromLocal8Bit(target, static_cast<int>(size)) : QString();
}

// Who else holds a pipe or socket, "pid name" each: tells a child's pipe
// from one of this process's own.
QStringList otherHolders(const QString &target)
{
    QStringList holders;
    const QString self = QString::number(QCoreApplication::applicationPid());
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (pid == self || pid.toInt() <= 0)
            continue;
        const QString fdDir = QStringLiteral("/proc/") + pid + QStringLiteral("/fd/");
        for (const QString &fd : QDir(fdDir).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
            if (readLink(fdDir + fd) == target) {
                holders << pid + QLatin1Char(' ') + firstLine(QStringLiteral("/proc/") + pid + QStringLiteral("/comm"));
                break;
            }
        }
    }
    return holders;
}

qint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

// Freed memory waiting in the sanitizer's quarantine and free pages go back
// first, so that both readings count what the program holds.
Resources sample()
{
#ifdef OSTREL_SOAK_ASAN
    __sanitizer_purge_allocator();
#elif defined(__GLIBC__)
    malloc_trim(0);
#endif
    Resources now;
    // The listing's own descriptor is among the entries every time.
    const QStringList fds = QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    now.fds = fds.size();
    for (const QString &fd : fds)
        now.fdTargets.insert(fd, readLink(QStringLiteral("/proc/self/fd/") + fd));
    const QStringList tasks = QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    now.threads = tasks.size();
    for (const QString &task : tasks)
        now.threadNames.insert(task, firstLine(QStringLiteral("/proc/self/task/") + task + QStringLiteral("/comm")));
    now.rssKb = residentKb();
#ifdef OSTREL_SOAK_ASAN
    now.heapBytes = static_cast<qint64>(__sanitizer_get_current_allocated_bytes());
#endif
    return now;
}

// What `after` holds beyond `before`, "key -> value" each; with `holders`
// the other processes holding a pipe or socket are named.
QStringList extra(const QMap<QString, QString> &before, const QMap<QString, QString> &after, bool holders = false)
{
    QMap<QString, int> counts;
    for (const QString &value : before)
        ++counts[value];
    QStringList lines;
    for (auto it = after.begin(); it != after.end(); ++it) {
        if (counts.value(it.value()) > 0)
            --counts[it.value()];
        else if (holders && (it.value().startsWith(QLatin1String("pipe:")) || it.value().startsWith(QLatin1String("socket:"))))
            lines << it.key() + QStringLiteral(" -> ") + it.value() + QStringLiteral(" (other holders: ")
                    + otherHolders(it.value()).join(QStringLiteral(", ")) + QLatin1Char(')');
        else
            lines << it.key() + QStringLiteral(" -> ") + it.value();
    }
    return lines;
}

double mb(qint64 kb)
{
    return static_cast<double>(kb) / 1024.0;
}

double percentGrowth(qint64 before, qint64 after)
{
    return before > 0 ? 100.0 * static_cast<double>(after - before) / static_cast<double>(before) : 0.0;
}

int sized(const char *variable, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(variable, &ok);
    return ok && value >= 0 ? value : fallback;
}

// ---- The soak

class Soak
{
public:
    explicit Soak(ControllerWorld &world) : m_world(world) {}

    bool start()
    {
        m_world.beginTest();
        const QByteArray cable = "List of devices attached\r\n" + kHeadsets[0].name.toUtf8() + "\tdevice\r\n\r\n";
        if (!m_world.answerAdb(QStringLiteral("devices"), cable) || !m_world.storeMode(2, kHeadsets[0].name)
            || !m_world.writeSessionFile(72))
            return fail(QStringLiteral("the world's files could not be written"));
        if (!m_world.startSteamClient())
            return fail(QStringLiteral("the fake Steam client did not start"));
        if (!m_world.startStreamer(streamerWithHeadsets()))
            return fail(QStringLiteral("the streamer did not connect to the control server"));
        m_nerev = m_world.makeController();
        QObject::connect(m_nerev, &NerevManager::showToast, [this](const QString &text, int) {
            if (text == QStringLiteral("切换模式中，请稍后再试"))
                ++m_refusals;
        });
        QObject::connect(m_nerev, &NerevManager::vrIsConnectChange, [this] {
            if (m_nerev->vrIsConnect())
                ++m_connectedReports;
        });
        if (!waitUntil([this] { return m_world.steamVrRunning(); }, kRestartTimeoutMs))
            return fail(QStringLiteral("SteamVR did not start with the stored wireless mode"));
        return settle();
    }

    // One cycle: connect a headset, then lose it. Odd cycles lose it by the
    // headset going away and coming back (the controller links it again and
    // the cycle ends connected), even ones by the user's disconnect. The
    // headset changes every second cycle, so a connect also meets a headset
    // still connected.
    bool headsetCycle(int cycle)
    {
        const Headset &headset = kHeadsets[(cycle / 2) % 2];
        if (!connectHeadset(headset, cycle))
            return false;
        if (cycle % 2 == 0) {
            const int disconnectsBefore = m_world.streamerReceivedCount(disconnectLine(headset));
            m_nerev->connectVR(QString(), QString(), false);
            if (!waitUntil([this] { return !m_nerev->vrIsConnect(); }, kStepTimeoutMs))
                return fail(QStringLiteral("cycle %1: the user's disconnect of %2 never showed").arg(cycle).arg(headset.name));
            if (!waitUntil([&] { return m_world.streamerReceivedCount(disconnectLine(headset)) > disconnectsBefore; },
                           kStepTimeoutMs))
                return fail(QStringLiteral("cycle %1: the streamer never received the disconnect of %2").arg(cycle).arg(headset.name));
            return true;
        }
        if (!m_world.startStreamer())
            return fail(QStringLiteral("cycle %1: the streamer without headsets did not connect").arg(cycle));
        if (!waitUntil([this] { return !m_nerev->vrIsConnect(); }, kStepTimeoutMs))
            return fail(QStringLiteral("cycle %1: %2 went away but still shows as connected").arg(cycle).arg(headset.name));
        if (!m_world.startStreamer(streamerWithHeadsets()))
            return fail(QStringLiteral("cycle %1: the streamer with the headsets back did not connect").arg(cycle));
        if (!waitUntil([&] { return connectedTo(headset) && m_world.streamerReceivedCount(linkLine(headset)) >= 1; },
                       kStepTimeoutMs))
            return fail(QStringLiteral("cycle %1: %2 came back but the controller did not link it again").arg(cycle).arg(headset.name));
        return true;
    }

    // One switch to the other mode, with the SteamVR restart it brings and a
    // headset connected in the new mode.
    bool modeSwitch(int index)
    {
        const bool toWired = !m_nerev->wired();
        const int stopsBefore = stops();
        const int launchesBefore = m_world.steamVrLaunches();
        // Within the window after the previous choice the controller refuses
        // (and says so); wait it out with the event loop, then choose again.
        const int refusalsBefore = m_refusals;
        bool accepted = false;
        for (int attempt = 0; attempt < 100 && !accepted; ++attempt) {
            const int refused = m_refusals;
            m_nerev->setProperty("wired", toWired);
            accepted = m_refusals == refused;
            if (!accepted)
                pause(100);
        }
        if (!accepted)
            return fail(QStringLiteral("switch %1: the controller refused the mode choice for 10 s").arg(index));
        m_refusalsWaited += m_refusals - refusalsBefore;
        if (!waitUntil([&] { return m_nerev->wired() == toWired; }, kRestartTimeoutMs))
            return fail(QStringLiteral("switch %1: the mode never became %2").arg(index).arg(modeName(toWired)));
        // Just applied: a choice back is refused and changes nothing.
        const int refusedBefore = m_refusals;
        m_nerev->setProperty("wired", !toWired);
        if (m_refusals == refusedBefore || m_nerev->wired() != toWired)
            return fail(QStringLiteral("switch %1: a choice right after the switch was not refused").arg(index));
        ++m_refusalsSeen;
        if (!restarted(stopsBefore, launchesBefore))
            return fail(QStringLiteral("switch %1 to %2: %3").arg(index).arg(modeName(toWired), m_restartTrouble));
        if (toWired) {
            // A refresh after the restart finds the headset on the cable
            // (adb lists it, the streamer answers its wired request).
            const int reportsBefore = m_connectedReports;
            const int pollsBefore = m_world.adbCalls().count(QStringLiteral("devices"));
            if (!waitUntil([&] {
                    return m_connectedReports > reportsBefore
                        && m_world.adbCalls().count(QStringLiteral("devices")) > pollsBefore;
                }, kStepTimeoutMs))
                return fail(QStringLiteral("switch %1: no headset connected over the cable").arg(index));
        } else if (!connectHeadset(kHeadsets[0], index)) {
            return false;
        }
        return settle();
    }

    // A quality change as the settings dialog makes it: the custom preset
    // stores its render scale and bit rate first.
    bool qualityChange(int index)
    {
        const int preset = index % 4;
        const int fps = index % 2;
        const int codec = (index / 2) % 2;
        const bool microphone = index % 3 == 0;
        const int scale = 70 + index % 30;
        const int bitRate = 40 + index;
        const int stopsBefore = stops();
        const int launchesBefore = m_world.steamVrLaunches();
        if (preset == 3)
            m_nerev->setVideoQuilty(scale, bitRate);
        m_nerev->setEffects(preset, fps, codec, microphone, false, false, false);
        if (!restarted(stopsBefore, launchesBefore))
            return fail(QStringLiteral("quality change %1: %2").arg(index).arg(m_restartTrouble));
        if (!settle())
            return false;
        if (m_nerev->definitionIndex() != preset || m_nerev->fpsIndex() != fps || m_nerev->encodeType() != codec
            || m_nerev->audioStatus() != microphone)
            return fail(QStringLiteral("quality change %1: the settings read back %2/%3/%4/%5, not %6/%7/%8/%9")
                            .arg(index)
                            .arg(m_nerev->definitionIndex())
                            .arg(m_nerev->fpsIndex())
                            .arg(m_nerev->encodeType())
                            .arg(m_nerev->audioStatus())
                            .arg(preset)
                            .arg(fps)
                            .arg(codec)
                            .arg(microphone));
        if (preset == 3 && (m_nerev->videoRatio() != scale || m_nerev->bitRate() != bitRate))
            return fail(QStringLiteral("quality change %1: the custom quality reads back %2 %/%3, not %4 %/%5")
                            .arg(index)
                            .arg(m_nerev->videoRatio())
                            .arg(m_nerev->bitRate())
                            .arg(scale)
                            .arg(bitRate));
        if (!waitUntil([this] { return m_nerev->vrIsConnect(); }, kStepTimeoutMs))
            return fail(QStringLiteral("quality change %1: the headset is not connected after the restart").arg(index));
        return true;
    }

    // No sequence running or queued, SteamVR's start-up pollers ended, Qt's
    // pool idle (its idle threads ended), the analytics events sent (they
    // wait for a ten-minute upload otherwise), and a moment for deferred
    // deletes and finished child processes.
    bool settle()
    {
        if (!waitUntil([this] { return !m_nerev->sequenceRunning(); }, kRestartTimeoutMs))
            return fail(QStringLiteral("the controller's sequences never came to rest"));
        if (!waitUntil([this] { return m_world.steam->activePollers() == 0; }, kRestartTimeoutMs))
            return fail(QStringLiteral("SteamVR's start-up pollers never ended"));
        if (!QThreadPool::globalInstance()->waitForDone(kRestartTimeoutMs))
            return fail(QStringLiteral("Qt's thread pool never came to rest"));
        m_world.http->sendQueuedEvents(false);
        pause(500);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return waitUntil([this] { return !m_nerev->sequenceRunning(); }, kRestartTimeoutMs)
            || fail(QStringLiteral("the controller's sequences never came to rest"));
    }

    // Back to the state the measurements start from: wireless, the first
    // headset connected, all at rest.
    bool restState()
    {
        if (m_nerev->wired() && !modeSwitch(-1))
            return false;
        return connectHeadset(kHeadsets[0], -1) && settle();
    }

    bool fail(const QString &why)
    {
        if (m_failure.isEmpty())
            m_failure = why;
        return false;
    }

    QString failure() const { return m_failure; }
    int refusalsWaited() const { return m_refusalsWaited; }
    int refusalsSeen() const { return m_refusalsSeen; }
    int restarts() const { return m_restarts; }

private:
    static QString modeName(bool wired) { return wired ? QStringLiteral("wired") : QStringLiteral("wireless"); }
    static QString linkLine(const Headset &h) { return QStringLiteral("LinkTo %1 %2 ").arg(h.name, h.ip); }
    static QString disconnectLine(const Headset &h) { return QStringLiteral("Disconnect %1 %2 ").arg(h.name, h.ip); }

    bool connectedTo(const Headset &headset) const
    {
        return m_nerev->vrIsConnect() && m_nerev->vrName() == QStringLiteral("眼镜ID：") + headset.name.right(6);
    }

    bool connectHeadset(const Headset &headset, int step)
    {
        if (connectedTo(headset))
            return true;
        const int linksBefore = m_world.streamerReceivedCount(linkLine(headset));
        m_nerev->connectVR(headset.name, headset.ip);
        if (!waitUntil([&] { return connectedTo(headset); }, kStepTimeoutMs))
            return fail(QStringLiteral("step %1: the controller never connected %2").arg(step).arg(headset.name));
        if (m_world.streamerReceivedCount(linkLine(headset)) <= linksBefore)
            return fail(QStringLiteral("step %1: %2 shows as connected but the streamer got no link").arg(step).arg(headset.name));
        return true;
    }

    int stops() const { return m_world.steamLog().count(QStringLiteral("vrstartup -shutdown")); }

    // SteamVR stopped (its shutdown tool ran), was started again and runs.
    bool restarted(int stopsBefore, int launchesBefore)
    {
        if (!waitUntil([&] { return stops() > stopsBefore; }, kRestartTimeoutMs)) {
            m_restartTrouble = QStringLiteral("SteamVR was never stopped");
            return false;
        }
        if (!waitUntil([&] { return m_world.steamVrLaunches() > launchesBefore; }, kRestartTimeoutMs)) {
            m_restartTrouble = QStringLiteral("the restart of SteamVR never came");
            return false;
        }
        if (!waitUntil([this] { return m_world.steamVrRunning(); }, kRestartTimeoutMs)) {
            m_restartTrouble = QStringLiteral("SteamVR was launched again but never ran");
            return false;
        }
        ++m_restarts;
        return true;
    }

    ControllerWorld &m_world;
    NerevManager *m_nerev = nullptr;
    QString m_failure;
    QString m_restartTrouble;
    int m_refusals = 0;
    int m_refusalsWaited = 0;
    int m_refusalsSeen = 0;
    int m_connectedReports = 0; // "connected" news from the controller
    int m_restarts = 0;
};

struct Phase {
    const char *name;
    int count;
    std::function<bool(int)> step;
};

// OSTREL_SOAK_HEAP_PROFILE=1: the live heap by allocation stack and the
// allocator's figures at both measurements, to find what grew.
void printHeapProfile(const char *when)
{
#ifdef OSTREL_SOAK_ASAN
    if (qEnvironmentVariableIntValue("OSTREL_SOAK_HEAP_PROFILE") != 1)
        return;
    std::fflush(stdout);
    std::fprintf(stderr, "---- heap profile %s\n", when);
    __sanitizer_print_memory_profile(100, 40);
    __asan_print_accumulated_stats();
    std::fflush(stderr);
#else
    (void)when;
#endif
}

void printResources(const char *when, const Resources &r)
{
    std::printf("%-28s fds %4d  threads %3d  VmRSS %8.1f MB", when, r.fds, r.threads, mb(r.rssKb));
    if (r.heapBytes >= 0)
        std::printf("  live heap %8.1f MB", static_cast<double>(r.heapBytes) / (1024.0 * 1024.0));
    std::printf("\n");
    std::fflush(stdout);
}

// The controller's latest log lines, shown when a step fails; every line
// goes to $OSTREL_SOAK_LOG as well when it is set. The control server's
// worker thread logs too. The lines are kept in fixed storage, off the heap
// whose size is measured.
constexpr int kRecentLines = 40;
constexpr int kRecentLineBytes = 240;
QMutex g_logLock;
std::atomic<int> g_warnings { 0 };
std::atomic<int> g_criticals { 0 };
char g_recentLog[kRecentLines][kRecentLineBytes];
int g_recentNext = 0;
FILE *g_logFile = nullptr;

void keepLogLine(QtMsgType type, const QString &message)
{
    static const char *const kinds[] = { "debug", "warning", "critical", "fatal", "info" };
    const QString line = QStringLiteral("%1 %2: %3")
                             .arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")),
                                  QLatin1String(kinds[type <= QtInfoMsg ? type : 0]), message);
    QMutexLocker lock(&g_logLock);
    if (type == QtWarningMsg)
        ++g_warnings;
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        ++g_criticals;
        std::fprintf(stderr, "soak: critical: %s\n", qPrintable(message));
    }
    const QByteArray text = line.toUtf8();
    std::snprintf(g_recentLog[g_recentNext], kRecentLineBytes, "%s", text.constData());
    g_recentNext = (g_recentNext + 1) % kRecentLines;
    if (g_logFile) {
        std::fprintf(g_logFile, "%s\n", qPrintable(line));
        std::fflush(g_logFile);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // The control socket's console lines and the controller's log are not
    // part of the figures; warnings are counted, critical lines shown.
    std::cout.setstate(std::ios::failbit);
    if (!qEnvironmentVariableIsEmpty("OSTREL_SOAK_LOG"))
        g_logFile = std::fopen(qgetenv("OSTREL_SOAK_LOG").constData(), "w");
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        keepLogLine(type, message);
    });
    const int headsetCycles = sized("OSTREL_SOAK_HEADSET_CYCLES", 200);
    const int modeSwitches = sized("OSTREL_SOAK_MODE_SWITCHES", 20);
    const int qualityChanges = sized("OSTREL_SOAK_QUALITY_CHANGES", 20);

    // The fake Steam and SteamVR processes end by themselves after a minute
    // unless told otherwise; the soak needs them for its whole length (the
    // world ends them at tear-down).
    qputenv("OSTREL_FAKE_LIFETIME_MS", "900000");

    QElapsedTimer total;
    total.start();
    int exitCode = 0;
    {
        ControllerWorld world;
        if (!world.setUp()) {
            std::fprintf(stderr, "soak: FAILED: the simulators are missing; build the tools first\n");
            return 1;
        }
        Soak soak(world);
        const std::vector<Phase> phases {
            { "headset connect/disconnect cycles", headsetCycles, [&](int i) { return soak.headsetCycle(i); } },
            // An even count ends in the mode it began with.
            { "mode switches (with SteamVR restart)", modeSwitches + modeSwitches % 2,
              [&](int i) { return soak.modeSwitch(i); } },
            { "quality changes (with SteamVR restart)", qualityChanges, [&](int i) { return soak.qualityChange(i); } },
        };
        std::printf("Controller soak: %d headset cycles, %d mode switches, %d quality changes\n", phases[0].count,
                    phases[1].count, phases[2].count);
        std::fflush(stdout);

        bool ok = soak.start();
        Resources begin;
        if (ok) {
            // Warm-up: a few rounds of each, so that what the flows create
            // once (threads, connections, caches) exists before counting.
            QElapsedTimer warmUp;
            warmUp.start();
            for (int i = 0; ok && i < 4; ++i)
                ok = soak.headsetCycle(i);
            for (int i = 0; ok && i < 2; ++i)
                ok = soak.modeSwitch(i);
            for (int i = 0; ok && i < 2; ++i)
                ok = soak.qualityChange(i);
            ok = ok && soak.restState();
            if (ok) {
                // Symbolizing the profile starts a helper process, to be
                // counted in both readings.
                printHeapProfile("after warm-up");
                begin = sample();
                std::printf("warm-up done in %.1f s\n", warmUp.elapsed() / 1000.0);
                printResources("after warm-up:", begin);
            }
        }
        for (const Phase &phase : phases) {
            if (!ok)
                break;
            QElapsedTimer spell;
            spell.start();
            int done = 0;
            while (ok && done < phase.count) {
                ok = phase.step(done);
                done += ok ? 1 : 0;
            }
            ok = ok && soak.restState();
            const Resources after = sample();
            std::printf("%-40s %4d of %4d in %6.1f s; fds %d, threads %d, VmRSS %.1f MB\n", phase.name, done,
                        phase.count, spell.elapsed() / 1000.0, after.fds, after.threads, mb(after.rssKb));
            std::fflush(stdout);
        }

        QStringList problems;
        if (ok) {
            Resources end = sample();
            QElapsedTimer back;
            back.start();
            while ((end.fds > begin.fds || end.threads > begin.threads) && back.elapsed() < kReturnWaitMs) {
                pause(200);
                end = sample();
            }
            printResources("at the end:", end);
            printHeapProfile("at the end");
            const double rssGrowth = percentGrowth(begin.rssKb, end.rssKb);
            std::printf("open fds:  start %d, end %d\n", begin.fds, end.fds);
            std::printf("threads:   start %d, end %d\n", begin.threads, end.threads);
            std::printf("VmRSS:     start %.1f MB, end %.1f MB, growth %+.2f %%%s\n", mb(begin.rssKb), mb(end.rssKb),
                        rssGrowth, kJudgeHeap ? " (includes the sanitizer's allocator and shadow; not judged)" : "");
            const double heapGrowth = percentGrowth(begin.heapBytes, end.heapBytes);
            if (kJudgeHeap)
                std::printf("live heap: start %.1f KB, end %.1f KB, growth %+.2f %%\n", begin.heapBytes / 1024.0,
                            end.heapBytes / 1024.0, heapGrowth);
            std::printf("memory limit: growth below %.0f %% of the %s\n", kMemoryGrowthLimitPercent,
                        kJudgeHeap ? "live heap" : "resident memory");
            std::printf("SteamVR restarts %d; mode choices refused within the window %d, waited out before a switch %d; "
                        "warnings %d\n",
                        soak.restarts(), soak.refusalsSeen(), soak.refusalsWaited(), g_warnings.load());
            if (end.fds > begin.fds)
                problems << QStringLiteral("open file descriptors did not come back: %1 at the start, %2 at the end (new: %3)")
                                .arg(begin.fds)
                                .arg(end.fds)
                                .arg(extra(begin.fdTargets, end.fdTargets, true).join(QStringLiteral(", ")));
            if (end.threads > begin.threads)
                problems << QStringLiteral("threads did not come back: %1 at the start, %2 at the end (new: %3)")
                                .arg(begin.threads)
                                .arg(end.threads)
                                .arg(extra(begin.threadNames, end.threadNames).join(QStringLiteral(", ")));
            const double growth = kJudgeHeap ? heapGrowth : rssGrowth;
            if (growth >= kMemoryGrowthLimitPercent)
                problems << QStringLiteral("%1 grew %2 % (limit %3 %)")
                                .arg(kJudgeHeap ? QStringLiteral("the live heap") : QStringLiteral("resident memory"))
                                .arg(growth, 0, 'f', 2)
                                .arg(kMemoryGrowthLimitPercent, 0, 'f', 0);
        } else {
            problems << soak.failure();
            std::printf("the controller's last log lines:\n");
            QMutexLocker lock(&g_logLock);
            for (int i = 0; i < kRecentLines; ++i) {
                const char *line = g_recentLog[(g_recentNext + i) % kRecentLines];
                if (*line)
                    std::printf("  %s\n", line);
            }
        }
        if (g_criticals > 0)
            problems << QStringLiteral("%1 critical log lines (shown above)").arg(g_criticals.load());

        // The controller first (its exit sequence uses the others), then the
        // helpers and the simulators; LeakSanitizer looks at what is left.
        world.endTest();
        std::printf("duration %.1f s\n", total.elapsed() / 1000.0);
        for (const QString &problem : problems)
            std::printf("soak: FAILED: %s\n", qPrintable(problem));
        if (problems.isEmpty())
            std::printf("soak: passed; LeakSanitizer reports at exit if anything leaked\n");
        std::fflush(stdout);
        exitCode = problems.isEmpty() ? 0 : 1;
    }
    qInstallMessageHandler(nullptr);
    if (g_logFile)
        std::fclose(g_logFile);
    return exitCode;
}
