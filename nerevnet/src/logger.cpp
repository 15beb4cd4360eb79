#include "logger.h"

#include "codes.h"
#include "startup_config.h"
#include "utf8_path.h"

#include <spdlog/sinks/daily_file_sink.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <type_traits>
#include <vector>

namespace nerevnet {
namespace {

const char* const kLinePattern = "[%Y-%m-%d %T.%e][%L][%-5t][%s:%#] %^%v%$";
constexpr uint16_t kKeptFiles = 30;

// Kept for the whole life of the process on purpose: drivers and the
// stand-alone transports log from their destructors while the library's
// static objects are torn down, in an order no translation unit controls.
// Records are flushed from info up, and the C runtime flushes the file at exit.
struct LoggerState {
    std::shared_ptr<spdlog::logger> fallback = spdlog::default_logger();
    std::shared_ptr<spdlog::logger> own;
    std::shared_ptr<NerevnetLogSinkMt> callbackSink;
    std::atomic<spdlog::logger*> current{fallback.get()};
    NerevnetLogCallback pendingCallback = nullptr;
    void* pendingUser = nullptr;
};

LoggerState& state()
{
    static LoggerState* s = new LoggerState;
    return *s;
}

// spdlog's file names are the platform's native path strings (UTF-16 on
// Windows), so a path reaches spdlog without passing through a code page.
static_assert(std::is_same_v<spdlog::filename_t, std::filesystem::path::string_type>,
              "spdlog must take native file names");

// Why the logger could not be created, while there is none: to spdlog's
// console logger and to the host's log callback if one is waiting.
void reportWithoutLogger(const LoggerState& s, const std::string& text)
{
    s.fallback->error("{}", text);
    if (s.pendingCallback)
        s.pendingCallback(static_cast<int32_t>(spdlog::level::err), text.c_str(), s.pendingUser);
}

} // namespace

spdlog::logger* logger()
{
    return state().current.load(std::memory_order_acquire);
}

bool hasOwnLogger()
{
    return state().own != nullptr;
}

spdlog::level::level_enum mapLevel(int32_t logLevel)
{
    switch (logLevel) {
    case 0: return spdlog::level::trace;
    case 1: return spdlog::level::debug;
    case 3: return spdlog::level::warn;
    case 4: return spdlog::level::err;
    case 5: return spdlog::level::critical;
    case 6: return spdlog::level::off;
    default: return spdlog::level::info;
    }
}

int32_t createLogger(const StartupConfig& config)
{
    LoggerState& s = state();
    if (s.own)
        return code(ErrorCode::Success);
    const std::string_view logDir = config.logDir();
    if (!config.logDirIsUtf8) {
        reportWithoutLogger(s, "Create logger fail, logDir is not UTF-8: " + printableUtf8(logDir));
        return code(ErrorCode::InitLoggerFail);
    }
    try {
        std::filesystem::path file = "nerevnet.log";
        if (!logDir.empty())
            file = pathFromUtf8(logDir) / file;
        auto fileSink = std::make_shared<spdlog::sinks::daily_file_sink_mt>(file.native(), 0, 0, false, kKeptFiles);
        fileSink->set_pattern(kLinePattern);
        auto callbackSink = std::make_shared<NerevnetLogSinkMt>();
        std::vector<spdlog::sink_ptr> sinks{fileSink, callbackSink};
        auto own = std::make_shared<spdlog::logger>("nerevnet", sinks.begin(), sinks.end());
        own->set_level(mapLevel(config.record.logLevel));
        own->flush_on(spdlog::level::info);
        if (s.pendingCallback)
            callbackSink->setCallback(s.pendingCallback, s.pendingUser);
        s.callbackSink = callbackSink;
        s.own = own;
        s.current.store(own.get(), std::memory_order_release);
        return code(ErrorCode::Success);
    } catch (const std::exception& e) {
        reportWithoutLogger(s, std::string("Create logger fail: ") + e.what());
        return code(ErrorCode::InitLoggerFail);
    } catch (...) {
        reportWithoutLogger(s, "Create logger fail");
        return code(ErrorCode::InitLoggerFail);
    }
}

void setLogCallback(NerevnetLogCallback callback, void* user)
{
    LoggerState& s = state();
    if (s.callbackSink) {
        s.callbackSink->setCallback(callback, user);
    } else {
        s.pendingCallback = callback;
        s.pendingUser = user;
    }
}

} // namespace nerevnet
