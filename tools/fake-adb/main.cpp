// fake-adb: answers adb command lines from a script folder, so the ADB logic
// can be tested against every answer a real adb gives without a headset.
//
// The folder is $FAKE_ADB_DIR. For an invocation "adb A B C" the key is the
// arguments joined by "_" ("devices", "forward_--list", "--version",
// "forward_tcp:9943_tcp:9943"). Files, all optional:
//   KEY.out     printed to standard output byte for byte (default: nothing)
//   KEY.err     printed to standard error
//   KEY.delay   milliseconds to wait before printing
//   KEY.exit    exit code (default 0)
//   KEY.stay    milliseconds to stay alive after printing (an "adb server")
// Every invocation is appended to calls.log as its arguments joined by blanks.
//
// Port table (used when the folder has a subfolder "ports" and the call has no
// KEY.out): like an adb server, the fake keeps the mappings it was asked for.
//   forward|reverse tcp:A tcp:B    remember the mapping (one per local side)
//   forward|reverse --list         print one line per mapping, "SERIAL tcp:A tcp:B"
//                                  for forward and "(reverse) tcp:A tcp:B" for
//                                  reverse; an empty table prints ports/empty-list
//   forward|reverse --remove-all   forget every mapping of that kind
// SERIAL is the contents of ports/serial. The tables are ports/forward and
// ports/reverse, one mapping a line.
// Programs name themselves after the file they run from, so a copy of this
// program under another name is told apart in process lists.
#include <chrono>
#include <cstdio>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {
bool readFile(const std::string &path, std::string &contents)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    contents.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

long readNumber(const std::string &path, long fallback)
{
    std::string text;
    if (!readFile(path, text))
        return fallback;
    return std::strtol(text.c_str(), nullptr, 10);
}

std::vector<std::string> readLines(const std::string &path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty())
            lines.push_back(line);
    }
    return lines;
}

void writeLines(const std::string &path, const std::vector<std::string> &lines)
{
    std::ofstream out(path, std::ios::trunc);
    for (const std::string &line : lines)
        out << line << "\n";
}

// Answers forward/reverse from the port table; false when the call is not one of them.
bool answerFromPortTable(const std::string &portsDir, int argc, char **argv)
{
    if (argc < 3)
        return false;
    const std::string kind = argv[1];
    if (kind != "forward" && kind != "reverse")
        return false;
    const std::string table = portsDir + "/" + kind;
    const std::string what = argv[2];
    std::vector<std::string> mappings = readLines(table);
    if (what == "--list" && argc == 3) {
        std::string text;
        if (mappings.empty()) {
            readFile(portsDir + "/empty-list", text);
        } else {
            std::string serial;
            readFile(portsDir + "/serial", serial);
            while (!serial.empty() && (serial.back() == '\n' || serial.back() == '\r'))
                serial.pop_back();
            for (const std::string &mapping : mappings)
                text += (kind == "forward" ? serial : std::string("(reverse)")) + " " + mapping + "\n";
        }
        std::fwrite(text.data(), 1, text.size(), stdout);
        return true;
    }
    if (what == "--remove-all" && argc == 3) {
        writeLines(table, {});
        return true;
    }
    if (argc == 4 && what.rfind("tcp:", 0) == 0) {
        std::vector<std::string> kept;
        for (const std::string &mapping : mappings) {
            if (mapping.compare(0, what.size() + 1, what + " ") != 0)
                kept.push_back(mapping);
        }
        kept.push_back(what + " " + argv[3]);
        writeLines(table, kept);
        return true;
    }
    return false;
}
} // namespace

int main(int argc, char **argv)
{
#ifdef _WIN32
    // Byte for byte on Windows too: no "\n" turned into "\r\n".
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    const char *dirText = std::getenv("FAKE_ADB_DIR");
    if (!dirText || !*dirText) {
        std::cerr << "fake-adb: FAKE_ADB_DIR is not set" << std::endl;
        return 1;
    }
    const std::string dir = dirText;
    std::string key;
    std::string call;
    for (int i = 1; i < argc; ++i) {
        key += (i > 1 ? "_" : "") + std::string(argv[i]);
        call += (i > 1 ? " " : "") + std::string(argv[i]);
    }
    if (key.empty())
        key = "none";
    {
        std::ofstream log(dir + "/calls.log", std::ios::app | std::ios::binary);
        log << call << "\n";
    }

    const std::string base = dir + "/" + key;
    const long delay = readNumber(base + ".delay", 0);
    if (delay > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    std::string text;
    if (readFile(base + ".out", text)) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
    } else if (std::filesystem::is_directory(dir + "/ports") && answerFromPortTable(dir + "/ports", argc, argv)) {
        std::fflush(stdout);
    }
    if (readFile(base + ".err", text)) {
        std::fwrite(text.data(), 1, text.size(), stderr);
        std::fflush(stderr);
    }
    const long stay = readNumber(base + ".stay", 0);
    if (stay > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(stay));
    return static_cast<int>(readNumber(base + ".exit", 0));
}
