// Stall benchmark of the streaming controller. A heartbeat timer of 5 ms on
// the GUI thread notes every turn of the event loop; the longest gap between
// two beats, less the 5 ms, is the longest time the window could not repaint
// or answer. Each flow runs against the real simulators (the controller's test
// world: fake Steam and SteamVR, streamer-sim, fake adb, the local cloud
// server) with the product's own pauses. Then the controller's idle CPU with
// the streamer connected.
//
// Built twice: with the controller's waits as timers and a worker thread (as
// shipped), and with every wait a plain sleep on the GUI thread, to show what
// the event loop loses that way. OSTREL_STALL_BENCH_SECONDS sets the length of
// the two refresh flows and of each CPU window (default 60 and 20);
// OSTREL_STALL_BENCH_CPU_ONLY=1 measures only the idle CPU.
#include "controllerworld.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <iostream>
#include <vector>

namespace {

constexpr qint64 kBeatMs = 5;

class Heartbeat
{
public:
    Heartbeat()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_gapsMs.push_back((now - m_last) / 1000000.0);
            m_last = now;
        });
    }

    void start()
    {
        m_gapsMs.clear();
        m_clock.start();
        m_last = 0;
        m_timer.start(kBeatMs);
    }

    void stop() { m_timer.stop(); }

    // Milliseconds the loop was held beyond one beat.
    double longestStall() const { return stall(m_gapsMs.empty() ? 0 : *std::max_element(m_gapsMs.begin(), m_gapsMs.end())); }
    double percentileStall(double p) const
    {
        if (m_gapsMs.empty())
            return 0;
        std::vector<double> sorted = m_gapsMs;
        std::sort(sorted.begin(), sorted.end());
        return stall(sorted.at(static_cast<size_t>(p * (sorted.size() - 1))));
    }
    int framesMissed() const
    {
        return static_cast<int>(std::count_if(m_gapsMs.begin(), m_gapsMs.end(), [](double g) { return g > 16.7 + kBeatMs; }));
    }

private:
    static double stall(double gapMs) { return std::max(0.0, gapMs - kBeatMs); }

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    std::vector<double> m_gapsMs;
};

struct Flow {
    const char *name;
    int seconds;
    // Prepares the world and the controller; not measured (before the window).
    std::function<bool(ControllerWorld &)> prepare;
    // What the user does when the measured spell begins.
    std::function<void(ControllerWorld &)> act;
};

void productPauses(ControllerWorld &world)
{
    world.timing = NerevManager::Timing();
    world.steamStopLimitMs = SteamManager::kStopWaitLimitMs;
    world.steamPollerLimitMs = SteamManager::kPollerLimitMs;
    world.steamSettleMs = 2500;
}

bool waitFor(const std::function<bool()> &condition, int ms)
{
    return QTest::qWaitFor(condition, ms);
}

bool pause(int ms)
{
    QTest::qWait(ms);
    return true;
}

int seconds(const char *variable, int fallback)
{
    const int value = qEnvironmentVariableIntValue(variable);
    return value > 0 ? value : fallback;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    // The control socket's console lines and the controller's log are not
    // part of the figures.
    std::cout.setstate(std::ios::failbit);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    const int refreshSeconds = seconds("OSTREL_STALL_BENCH_SECONDS", 60);
    const int cpuSeconds = std::max(5, refreshSeconds / 3);

    ControllerWorld world;
    if (!world.setUp()) {
        std::fprintf(stderr, "bench_controller_stalls: the simulators are missing; build the tools first\n");
        return 1;
    }

    const QByteArray oneDevice = "List of devices attached\r\nKZ00BENCH1\tdevice\r\n\r\n";
    const std::vector<Flow> flows {
        { "start-up with a stored mode, after the window would show", 15,
          [](ControllerWorld &w) {
              return w.storeMode(2) && w.startSteamClient()
                  && w.startStreamer({ "--headset", "Alpha;192.168.0.7;false" }) && w.makeController();
          },
          [](ControllerWorld &) {} },
        { "first wired choice", 15,
          [&](ControllerWorld &w) {
              return w.startSteamClient() && w.answerAdb("devices", oneDevice) && w.startStreamer() && w.makeController();
          },
          [](ControllerWorld &w) { w.controller->setProperty("wired", true); } },
        { "first wireless choice, Steam not yet running", 30,
          [](ControllerWorld &w) { return w.startStreamer({ "--headset", "Alpha;192.168.0.7;false" }) && w.makeController(); },
          [](ControllerWorld &w) { w.controller->setProperty("wired", false); } },
        { "mode switch, wired to wireless", 25,
          [](ControllerWorld &w) {
              return w.storeMode(1) && w.startSteamClient() && w.startStreamer() && w.makeController()
                  && waitFor([&w] { return w.steamVrRunning(); }, 10000) && pause(w.timing.switchBlockMs + 500);
          },
          [](ControllerWorld &w) { w.controller->setProperty("wired", false); } },
        { "setEffects", 25,
          [](ControllerWorld &w) {
              return w.storeMode(2) && w.startSteamClient() && w.makeController()
                  && waitFor([&w] { return w.steamVrRunning(); }, 10000);
          },
          [](ControllerWorld &w) { w.controller->setEffects(2, 1, 1, false, false, false, false); } },
        { "wireless refresh, two headsets", refreshSeconds,
          [](ControllerWorld &w) {
              return w.storeMode(2) && w.startSteamClient()
                  && w.startStreamer({ "--headset", "Alpha;192.168.0.7;false", "--headset", "Beta;192.168.0.8;false" })
                  && w.makeController() && waitFor([&w] { return w.steamVrRunning(); }, 10000);
          },
          [](ControllerWorld &w) { w.controller->connectVR("Alpha", "192.168.0.7"); } },
        { "wired refresh", refreshSeconds,
          [&](ControllerWorld &w) {
              return w.storeMode(1) && w.startSteamClient() && w.answerAdb("devices", oneDevice) && w.startStreamer()
                  && w.makeController() && waitFor([&w] { return w.steamVrRunning(); }, 10000);
          },
          [](ControllerWorld &) {} },
    };

    const bool cpuOnly = qEnvironmentVariableIntValue("OSTREL_STALL_BENCH_CPU_ONLY") == 1;
    std::printf("Controller stalls, waits as %s\n", OSTREL_BENCH_VARIANT);
    std::printf("longest time the GUI thread did not return to its event loop (heartbeat %lld ms; goal <= 100 ms)\n",
                static_cast<long long>(kBeatMs));
    std::printf("%-58s %9s %9s %8s %9s\n", "flow", "longest", "p99", "frames", "seconds");
    std::fflush(stdout);
    Heartbeat heartbeat;
    for (const Flow &flow : flows) {
        if (cpuOnly)
            break;
        world.beginTest();
        productPauses(world);
        if (!flow.prepare(world)) {
            std::printf("%-58s   (set-up failed)\n", flow.name);
            world.endTest();
            continue;
        }
        heartbeat.start();
        QElapsedTimer spell;
        spell.start();
        flow.act(world);
        QTest::qWait(static_cast<int>(std::max<qint64>(0, flow.seconds * 1000 - spell.elapsed())));
        heartbeat.stop();
        std::printf("%-58s %6.0f ms %6.1f ms %8d %9d\n", flow.name, heartbeat.longestStall(),
                    heartbeat.percentileStall(0.99), heartbeat.framesMissed(), flow.seconds);
        std::fflush(stdout);
        world.endTest();
    }

    // Idle CPU: wireless, the streamer connected with one linked headset and
    // reporting every second; no heartbeat running.
    world.beginTest();
    productPauses(world);
    const bool ready = world.storeMode(2) && world.startSteamClient()
        && world.startStreamer({ "--headset", "Alpha;192.168.0.7;false" }) && world.makeController()
        && waitFor([&world] { return world.controller->vrIsConnect(); }, 30000);
    if (!ready) {
        std::printf("idle CPU: set-up failed\n");
    } else {
        std::vector<double> percents;
        for (int i = 0; i < 3; ++i) {
            const std::clock_t cpuBefore = std::clock();
            QElapsedTimer wall;
            wall.start();
            // A plain event loop: QTest::qWait would wake every 10 ms itself.
            QEventLoop loop;
            QTimer::singleShot(cpuSeconds * 1000, &loop, &QEventLoop::quit);
            loop.exec();
            const double cpuMs = 1000.0 * static_cast<double>(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
            percents.push_back(100.0 * cpuMs / static_cast<double>(wall.elapsed()));
        }
        std::sort(percents.begin(), percents.end());
        std::printf("idle CPU, streamer connected (3 x %d s): median %.3f %% of a core (min %.3f, max %.3f; goal <= 0.5)\n",
                    cpuSeconds, percents[1], percents.front(), percents.back());
    }
    world.endTest();
    return 0;
}
