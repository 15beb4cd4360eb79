// The library's process-wide logger: spdlog's default console logger until the
// first successful start-up creates "nerevnet" (daily file + host callback).
#pragma once

// Every spdlog include of the library comes through this header. On Windows
// spdlog takes file names as UTF-16 and opens them with the wide file
// functions; the library's UTF-8 paths are converted before they reach it.
#if defined(_WIN32) && !defined(SPDLOG_WCHAR_FILENAMES)
#define SPDLOG_WCHAR_FILENAMES
#endif

#include "nerevnet.h"

#include <spdlog/sinks/base_sink.h>
#include <spdlog/spdlog.h>

#include <mutex>
#include <string>

namespace nerevnet {

struct StartupConfig;

// Forwards the formatted message of every record to the host's log callback.
template <typename Mutex>
class NerevnetLogSink : public spdlog::sinks::base_sink<Mutex> {
public:
    void setCallback(NerevnetLogCallback callback, void* user)
    {
        std::lock_guard<Mutex> lock(this->mutex_);
        m_callback = callback;
        m_user = user;
    }

protected:
    void sink_it_(const spdlog::details::log_msg& msg) override
    {
        if (!m_callback)
            return;
        const std::string text(msg.payload.data(), msg.payload.size());
        m_callback(static_cast<int32_t>(msg.level), text.c_str(), m_user);
    }
    void flush_() override {}

private:
    NerevnetLogCallback m_callback = nullptr;
    void* m_user = nullptr;
};

using NerevnetLogSinkMt = NerevnetLogSink<std::mutex>;

// The logger every library call writes to; never null.
spdlog::logger* logger();
// True once the library's own logger exists.
bool hasOwnLogger();
// Creates the library's logger from a (debug-adjusted) start-up record: 0 or
// 105. A logDir that is not UTF-8, or a file that cannot be opened, gives 105
// with a line for the console and the host's pending log callback.
int32_t createLogger(const StartupConfig& config);
// Installs the host's log callback now, or keeps it until the logger exists.
void setLogCallback(NerevnetLogCallback callback, void* user);
// logLevel of the record to spdlog's level: 0,1,3,4,5,6 one to one, anything else info.
spdlog::level::level_enum mapLevel(int32_t logLevel);

} // namespace nerevnet

#define NEREVNET_LOG(lvl, ...)                                                                              \
    do {                                                                                                    \
        spdlog::logger* nerevnetLogger_ = ::nerevnet::logger();                                             \
        if (nerevnetLogger_->should_log(lvl))                                                               \
            nerevnetLogger_->log(spdlog::source_loc{__FILE__, __LINE__, SPDLOG_FUNCTION}, lvl, __VA_ARGS__); \
    } while (0)

#define NLOG_TRACE(...) NEREVNET_LOG(spdlog::level::trace, __VA_ARGS__)
#define NLOG_DEBUG(...) NEREVNET_LOG(spdlog::level::debug, __VA_ARGS__)
#define NLOG_INFO(...) NEREVNET_LOG(spdlog::level::info, __VA_ARGS__)
#define NLOG_WARN(...) NEREVNET_LOG(spdlog::level::warn, __VA_ARGS__)
#define NLOG_ERROR(...) NEREVNET_LOG(spdlog::level::err, __VA_ARGS__)
#define NLOG_CRITICAL(...) NEREVNET_LOG(spdlog::level::critical, __VA_ARGS__)
