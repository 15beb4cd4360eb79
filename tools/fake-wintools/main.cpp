// fake-wintools: stands in for the Windows administration tools the PC checks run
// (PowerShell, netsh, powercfg), so their fixes can be tested on any system. The
// same program is built under each tool's name and acts as the tool it is named after.
//
// The folder is $OSTREL_FAKE_TOOLS_DIR. Every invocation appends one line to
// calls.log: the tool's name and its arguments, separated by blanks, an argument
// holding a blank or a quote written in double quotes with \" for a quote.
// Answers, all optional, for tool T on its N-th invocation (1-based, counted in
// calls.log), the numbered file winning over the plain one:
//   T.N.out / T.out     printed to standard output (default: nothing)
//   T.N.err / T.err     printed to standard error
//   T.N.exit / T.exit   exit code (default 0)
//   T.N.delay / T.delay milliseconds to wait before answering
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>
#endif

namespace {

bool readFile(const std::string &path, std::string &contents)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    contents.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// The arguments as UTF-8, whatever the system's code page.
std::vector<std::string> arguments(int argc, char **argv)
{
#ifdef _WIN32
    (void)argc;
    (void)argv;
    std::vector<std::string> out;
    int n = 0;
    wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &n);
    for (int i = 0; wide && i < n; ++i) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string text(size > 0 ? size - 1 : 0, '\0');
        if (size > 1)
            WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, &text[0], size, nullptr, nullptr);
        out.push_back(text);
    }
    LocalFree(wide);
    return out;
#else
    return std::vector<std::string>(argv, argv + argc);
#endif
}

std::string toolName(const std::string &argv0)
{
    std::string name = argv0.substr(argv0.find_last_of("/\\") + 1);
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0)
        name.resize(name.size() - 4);
    return name;
}

std::string quoted(const std::string &arg)
{
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos)
        return arg;
    std::string out = "\"";
    for (char c : arg) {
        if (c == '"')
            out += "\\\"";
        else
            out += c;
    }
    return out + "\"";
}

int countCalls(const std::string &log, const std::string &tool)
{
    std::ifstream in(log);
    int n = 0;
    for (std::string line; std::getline(in, line);) {
        if (line == tool || line.rfind(tool + " ", 0) == 0)
            ++n;
    }
    return n;
}

// The numbered answer file when there is one, else the plain one.
bool answer(const std::string &dir, const std::string &tool, int call, const std::string &kind, std::string &contents)
{
    return readFile(dir + "/" + tool + "." + std::to_string(call) + "." + kind, contents)
        || readFile(dir + "/" + tool + "." + kind, contents);
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> args = arguments(argc, argv);
    const std::string tool = toolName(args.empty() ? std::string("tool") : args[0]);
    const char *dirVariable = std::getenv("OSTREL_FAKE_TOOLS_DIR");
    if (!dirVariable || !*dirVariable) {
        std::cerr << tool << " (stand-in): OSTREL_FAKE_TOOLS_DIR is not set\n";
        return 2;
    }
    const std::string dir = dirVariable;
    const std::string log = dir + "/calls.log";
    const int call = countCalls(log, tool) + 1;

    std::string line = tool;
    for (std::size_t i = 1; i < args.size(); ++i)
        line += " " + quoted(args[i]);
    {
        std::ofstream out(log, std::ios::app | std::ios::binary);
        out << line << "\n";
    }

    std::string text;
    if (answer(dir, tool, call, "delay", text))
        std::this_thread::sleep_for(std::chrono::milliseconds(std::strtol(text.c_str(), nullptr, 10)));
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    if (answer(dir, tool, call, "out", text))
        std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
    if (answer(dir, tool, call, "err", text))
        std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
    if (answer(dir, tool, call, "exit", text))
        return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
    return 0;
}
