// Common part of every network driver: the host's C callbacks, in-process
// listeners with their fan-out, start parameter checks, call logging and the
// debug dumps of all traffic.
#pragma once

#include "nerevnet.h"

#include <cstdint>
#include <fstream>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace nerevnet {

struct StartupConfig;

class BaseDriver : public INerevnet, protected INerevnetCallback {
public:
    BaseDriver();
    ~BaseDriver() override;

    BaseDriver(const BaseDriver&) = delete;
    BaseDriver& operator=(const BaseDriver&) = delete;

    // INerevnet
    void addCallback(INerevnetCallback* callback) override;
    void removeCallback(INerevnetCallback* callback) override;
    int32_t start(const char* address, uint32_t port, uint32_t* bindPort) override;
    void stop() override;
    int32_t sendMessage(const char* data, uint32_t length, bool reliable) override;
    bool sendPacket(const NerevnetPacket* packet) override;
    bool isConnected() override;

    // Driver-specific set-up (0 = success) and the driver's NetworkType.
    virtual int32_t init(NerevnetStartupConfig* config) = 0;
    virtual int32_t getType() = 0;

    // Copies the start-up record, prepares the debug directory, then runs init().
    int32_t initBase(const StartupConfig& config);

    // Replaces the host's C callbacks; a null record clears them. Must not be
    // called from inside a notification of the same driver.
    void setCallbacks(const NerevnetCallbacks* record, void* user);

    // What the transports call (INerevnetCallback): log, fan out to the
    // listeners in registration order, then to the host's C callback.
    void onError(int32_t error, const char* message) override;
    void onEvent(const NerevnetEvent* event) override;
    void onStart(int32_t role, bool success) override;
    void onStop(int32_t role) override;
    void onConnectStatus(int32_t status) override;
    void onStatistics(const NerevnetStatistics* stats) override;
    void onReceiveMessage(const char* data, uint32_t length) override;
    void onReceivePacket(const NerevnetPacket* packet, uint32_t reserved) override;

    const NerevnetStartupConfig& config() const { return m_config; }
    int32_t role() const { return m_config.role; }
    bool isServer() const { return m_config.role == Role_Server; }
    const std::string& debugDirectory() const { return m_debugDir; }

protected:
    // Appends bytes to the named dump file when debug mode is on.
    void dump(const char* name, const void* data, size_t length);
    // Type name for log lines, e.g. "UDP".
    const char* typeName();

private:
    NerevnetCallbacks m_callbacks{};
    void* m_user = nullptr;
    NerevnetStartupConfig m_config{};
    std::string m_logDir;
    std::string m_debugDir;
    std::unordered_map<std::string, std::shared_ptr<std::ofstream>> m_debugFiles;
    std::vector<INerevnetCallback*> m_listeners;
    std::shared_mutex m_listenersLock;
    // Dumps come from the host thread (sends) and the network threads
    // (receives) at once; the file map and each stream need one owner at a time.
    std::mutex m_dumpLock;
};

} // namespace nerevnet
