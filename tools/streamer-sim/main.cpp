// streamer-sim: plays the streamer for the assistant. Once "loaded" it writes
// 1 into the shared signal block, keeps one connection to the control server
// (reconnecting when it drops), reports its headsets, answers the assistant's
// commands and logs every command it receives.
//
//   streamer-sim [options]
//     --port N               control port (default: $OSTREL_CONTROL_PORT, else 9932)
//     --host ADDR            control server address (default 127.0.0.1)
//     --bind ADDR            local address to connect from (default: any)
//     --headset NAME;IP;STATE   a headset, STATE true or false (repeatable)
//     --device-id ID         device id sent with every headset list
//     --report-ms N          a headset list every N ms while connected (default 1000, 0: never)
//     --link-delay-ms N      delay before a linked headset counts as connected (default 500)
//     --wired-connected B    what "WiredConnect" answers (default true)
//     --reconnect-ms N       wait before a new connection attempt (default 300)
//     --hello                send "Hello" after each connect
//     --restart-steamvr-ms N send "RESTARTSTEAMVR" N ms after the first connect
//     --loaded-after-ms N    write 1 into the shared block after N ms (default 0)
//     --no-shared-block      leave the shared block alone
//     --block-name NAME      block name (default: $OSTREL_SHARED_BLOCK, else OSTREL_VOZEMemory)
//     --mutex-name NAME      mutex name (default: $OSTREL_SHARED_MUTEX, else OSTREL_VOZEData_Mutex)
//     --log FILE             append each received command to FILE as well as to standard output
//     --exit-after-ms N      end after N ms (default: run until standard input closes or a signal)
//     --stdin                send every line read from standard input, with a line feed, as it is
//
// Loaded as a SteamVR driver (the demo's fake vrserver starts it without arguments) it
// takes its options from the file named by $OSTREL_STREAMER_SIM_OPTIONS first: one option
// a line, its value after the first blank ("--headset KZ1;192.168.0.7;false"); blank lines
// and lines starting with "#" are skipped. Options on the command line come after them.
#include "platform/socket_compat.h"
#include "streamer.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

namespace {
std::atomic<bool> g_quit { false };

void onSignal(int)
{
    g_quit = true;
}

bool parseBool(const std::string &text)
{
    return text == "true" || text == "1" || text == "yes";
}

// The options of $OSTREL_STREAMER_SIM_OPTIONS, then those of the command line.
bool collectArguments(int argc, char **argv, std::vector<std::string> &args)
{
    const char *file = std::getenv("OSTREL_STREAMER_SIM_OPTIONS");
    if (file && *file) {
        std::ifstream in(file);
        if (!in) {
            std::fprintf(stderr, "streamer-sim: cannot read the options file %s\n", file);
            return false;
        }
        for (std::string line; std::getline(in, line);) {
            while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
                line.pop_back();
            const std::size_t start = line.find_first_not_of(' ');
            if (start == std::string::npos || line[start] == '#')
                continue;
            const std::size_t blank = line.find(' ', start);
            args.push_back(line.substr(start, blank == std::string::npos ? blank : blank - start));
            if (blank != std::string::npos)
                args.push_back(line.substr(line.find_first_not_of(' ', blank)));
        }
    }
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    return true;
}

int usage(const char *message)
{
    std::fprintf(stderr, "streamer-sim: %s (see the comment at the top of main.cpp)\n", message);
    return 2;
}
} // namespace

int main(int argc, char **argv)
{
    StreamerOptions options;
    if (const char *port = std::getenv("OSTREL_CONTROL_PORT"))
        options.port = std::atoi(port);
    if (const char *name = std::getenv("OSTREL_SHARED_BLOCK"))
        options.blockName = name;
    if (const char *name = std::getenv("OSTREL_SHARED_MUTEX"))
        options.mutexName = name;
    bool readStdin = false;
    long exitAfterMs = 0;

    std::vector<std::string> args;
    if (!collectArguments(argc, argv, args))
        return 2;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        auto value = [&](std::string &out) {
            if (i + 1 >= args.size())
                return false;
            out = args[++i];
            return true;
        };
        std::string v;
        if (arg == "--hello") {
            options.sendHello = true;
        } else if (arg == "--no-shared-block") {
            options.useSharedBlock = false;
        } else if (arg == "--stdin") {
            readStdin = true;
        } else if (!value(v)) {
            return usage(("unknown option or missing value: " + arg).c_str());
        } else if (arg == "--port") {
            options.port = std::atoi(v.c_str());
        } else if (arg == "--host") {
            options.host = v;
        } else if (arg == "--bind") {
            options.bindAddress = v;
        } else if (arg == "--headset") {
            Headset headset;
            if (!parseHeadset(v, headset))
                return usage(("bad headset, want NAME;IP;STATE: " + v).c_str());
            options.headsets.push_back(headset);
        } else if (arg == "--device-id") {
            options.deviceId = v;
        } else if (arg == "--report-ms") {
            options.reportMs = std::atol(v.c_str());
        } else if (arg == "--link-delay-ms") {
            options.linkDelayMs = std::atol(v.c_str());
        } else if (arg == "--wired-connected") {
            options.wiredConnected = parseBool(v);
        } else if (arg == "--reconnect-ms") {
            options.reconnectMs = std::atol(v.c_str());
        } else if (arg == "--restart-steamvr-ms") {
            options.restartSteamVRMs = std::atol(v.c_str());
        } else if (arg == "--loaded-after-ms") {
            options.loadedAfterMs = std::atol(v.c_str());
        } else if (arg == "--block-name") {
            options.blockName = v;
        } else if (arg == "--mutex-name") {
            options.mutexName = v;
        } else if (arg == "--log") {
            options.logFile = v;
        } else if (arg == "--exit-after-ms") {
            exitAfterMs = std::atol(v.c_str());
        } else {
            return usage(("unknown option: " + arg).c_str());
        }
    }
    if (options.port < 1)
        options.port = 9932;

    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    platform::socketStartup();

    Streamer streamer(options);
    if (readStdin) {
        // Detached: a blocking read of standard input cannot be interrupted
        // portably, and the process ends right after the loop anyway.
        std::thread([&streamer] {
            std::string line;
            while (std::getline(std::cin, line))
                streamer.queueRawLine(line);
            streamer.stdinClosed();
        }).detach();
    }

    const auto started = std::chrono::steady_clock::now();
    while (!g_quit && !streamer.finished()) {
        if (exitAfterMs > 0
            && std::chrono::steady_clock::now() - started >= std::chrono::milliseconds(exitAfterMs))
            break;
        streamer.step(std::chrono::milliseconds(50));
    }
    streamer.log("streamer-sim: exiting");
    streamer.close();
    std::fflush(stdout);
    std::_Exit(0);
}
