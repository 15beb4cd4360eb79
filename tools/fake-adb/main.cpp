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
// Live mappings, as a real adb server keeps them: when the folder holds a
// file "live" (its text is the device's serial), "forward tcp:A tcp:B" and
// "reverse tcp:A tcp:B" are remembered in the files "forwards" and
// "reverses", "forward --list" and "reverse --list" print them the way adb
// does ("<serial> tcp:A tcp:B", "UsbFfs tcp:A tcp:B", bare line feeds, nothing
// when there are none), and "--remove-all" and "kill-server" forget them. A
// KEY.out or KEY.exit file still takes precedence over the live answer.
// Programs name themselves after the file they run from, so a copy of this
// program under another name is told apart in process lists.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>

namespace {
bool readFile(const std::string &path, std::string &contents)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    contents.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool exists(const std::string &path)
{
    return std::ifstream(path).good();
}

void appendLine(const std::string &path, const std::string &line)
{
    std::string contents;
    readFile(path, contents);
    if (("\n" + contents).find("\n" + line + "\n") != std::string::npos)
        return;
    std::ofstream(path, std::ios::app | std::ios::binary) << line << "\n";
}

// The live answer of a mapping command; false when `argv` is none.
bool liveAnswer(const std::string &dir, int argc, char **argv, std::string &out)
{
    std::string serial;
    if (!readFile(dir + "/live", serial))
        return false;
    serial = serial.substr(0, serial.find_first_of("\r\n"));
    const std::string verb = argc > 1 ? argv[1] : "";
    const std::string what = argc > 2 ? argv[2] : "";
    const std::string file = dir + (verb == "forward" ? "/forwards" : "/reverses");
    if (verb == "kill-server") {
        std::remove((dir + "/forwards").c_str());
        std::remove((dir + "/reverses").c_str());
        return true;
    }
    if (verb != "forward" && verb != "reverse")
        return false;
    if (argc == 3 && what == "--list") {
        readFile(file, out);
        return true;
    }
    if (argc == 3 && what == "--remove-all") {
        std::remove(file.c_str());
        return true;
    }
    if (argc == 4) {
        appendLine(file, (verb == "forward" ? serial : std::string("UsbFfs")) + " " + what + " " + argv[3]);
        return true;
    }
    return false;
}

long readNumber(const std::string &path, long fallback)
{
    std::string text;
    if (!readFile(path, text))
        return fallback;
    return std::strtol(text.c_str(), nullptr, 10);
}
} // namespace

int main(int argc, char **argv)
{
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
        std::ofstream log(dir + "/calls.log", std::ios::app);
        log << call << "\n";
    }

    const std::string base = dir + "/" + key;
    const long delay = readNumber(base + ".delay", 0);
    if (delay > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    std::string text;
    if (readFile(base + ".out", text) || (!exists(base + ".exit") && liveAnswer(dir, argc, argv, text))) {
        std::fwrite(text.data(), 1, text.size(), stdout);
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
