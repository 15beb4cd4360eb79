#pragma once

#include <string>

namespace platform {

struct ShellRequest {
    std::string file;                    // program, document or URL
    std::string verb = "open";           // e.g. "open", "runas"
    std::string parameters;
    std::string workingDirectory;
    bool hidden = false;
    int waitMs = 0;                      // > 0: wait this long for the started process
};

struct ShellResult {
    enum class Wait { NotWaited, Finished, TimedOut, Failed, NoProcess };
    bool started = false;
    long code = 0;                       // system error code, or ShellExecuteW's value
    Wait wait = Wait::NotWaited;
};

ShellResult shellExecute(const ShellRequest &request);

} // namespace platform
