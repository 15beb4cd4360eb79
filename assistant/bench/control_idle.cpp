// Benchmark of the control server's worker: the CPU it takes while nothing
// arrives, and how fast it answers a command, for the worker as built and for
// the former busy loop (select with a 10 µs timeout, never blocking).
// Prints the median and the spread over several runs; it never fails.
#include "../tests/controlclient.h"
#include "ipcsock.h"
#include "poller.h"
#include "sysmanager.h"

#include <QCoreApplication>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

using namespace std::chrono;
using namespace std::chrono_literals;

namespace {
const std::string kHelloReply = std::string("HHHH, You can see me!\n") + '\0';

double processCpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
}

// The server loop as it was: poll every 10 µs, answer "Hello".
class BusyLoopServer
{
public:
    explicit BusyLoopServer(int port)
        : m_socket(m_poller, port)
    {
        m_socket.Startup();
        m_thread = std::thread([this] {
            std::vector<std::string> lines;
            while (!m_stop) {
                m_poller->wait(Poller::Read, 10us);
                m_socket.acceptClient();
                lines.clear();
                if (m_socket.receiveLines(lines)) {
                    for (const std::string &line : lines)
                        if (line == "Hello")
                            m_socket.send("HHHH, You can see me!\n");
                }
            }
        });
    }
    ~BusyLoopServer()
    {
        m_stop = true;
        m_thread.join();
    }

private:
    std::shared_ptr<Poller> m_poller = std::make_shared<Poller>();
    IPCSock m_socket;
    std::atomic<bool> m_stop { false };
    std::thread m_thread;
};

struct Figures {
    double idleCpuPercent;
    double medianReplyUs;
};

Figures measure(const std::function<std::unique_ptr<void, void (*)(void *)>(int)> &startServer)
{
    const int port = freeLoopbackPort();
    auto server = startServer(port);
    ControlClient client;
    client.connectTo(port);
    std::this_thread::sleep_for(200ms);

    // Idle: a connected streamer that says nothing for two seconds.
    const double cpuBefore = processCpuSeconds();
    const auto wallBefore = steady_clock::now();
    std::this_thread::sleep_for(2s);
    const double cpu = processCpuSeconds() - cpuBefore;
    const double wall = duration<double>(steady_clock::now() - wallBefore).count();

    std::vector<double> replies;
    for (int i = 0; i < 300; ++i) {
        const auto start = steady_clock::now();
        client.sendBytes("Hello\n");
        if (client.receive(kHelloReply.size()) != kHelloReply)
            break;
        replies.push_back(duration<double, std::micro>(steady_clock::now() - start).count());
    }
    std::sort(replies.begin(), replies.end());
    return { 100.0 * cpu / wall, replies.empty() ? -1.0 : replies[replies.size() / 2] };
}

void report(FILE *out, const char *name, std::vector<Figures> runs)
{
    std::vector<double> cpu, reply;
    for (const Figures &f : runs) {
        cpu.push_back(f.idleCpuPercent);
        reply.push_back(f.medianReplyUs);
    }
    std::sort(cpu.begin(), cpu.end());
    std::sort(reply.begin(), reply.end());
    std::fprintf(out, "%-34s idle CPU %6.2f %% of a core (runs %.2f..%.2f)   reply to Hello %7.1f us (runs %.1f..%.1f)\n", name,
                cpu[cpu.size() / 2], cpu.front(), cpu.back(), reply[reply.size() / 2], reply.front(), reply.back());
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    qputenv("QT_LOGGING_RULES", "*.info=false");
    // The servers print each send and connection to standard output; the
    // figures go to a copy of it taken before it is silenced.
    std::fflush(stdout);
    FILE *out = fdopen(dup(1), "w");
    if (!std::freopen("/dev/null", "w", stdout))
        return 1;

    const int runs = 3;
    std::vector<Figures> busy, worker;
    for (int i = 0; i < runs; ++i) {
        busy.push_back(measure([](int port) {
            return std::unique_ptr<void, void (*)(void *)>(new BusyLoopServer(port),
                                                           [](void *p) { delete static_cast<BusyLoopServer *>(p); });
        }));
        worker.push_back(measure([](int port) {
            auto *manager = new SysManager(port);
            manager->start();
            return std::unique_ptr<void, void (*)(void *)>(manager, [](void *p) { delete static_cast<SysManager *>(p); });
        }));
    }
    std::fprintf(out, "control server worker, %d runs of 2 s idle + 300 Hello round trips each\n", runs);
    report(out, "before: select 10 us busy loop", busy);
    report(out, "after: SysManager worker", worker);
    std::fclose(out);
    return 0;
}
