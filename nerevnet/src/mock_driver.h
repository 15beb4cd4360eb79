// File-replay driver: plays an H.264/H.265 Annex B recording unit by unit as
// received packets, looping forever, and accepts every send without sending.
#pragma once

#include "base_driver.h"

#include <atomic>
#include <fstream>
#include <thread>
#include <vector>

namespace nerevnet {

class MockDriver : public BaseDriver {
public:
    MockDriver();
    ~MockDriver() override;

    int32_t start(const char* address, uint32_t port, uint32_t* bindPort) override;
    void stop() override;
    int32_t sendMessage(const char* data, uint32_t length, bool reliable) override;
    bool sendPacket(const NerevnetPacket* packet) override;
    bool isConnected() override;

    int32_t init(NerevnetStartupConfig* config) override;
    int32_t getType() override { return NetworkType_Mock; }

private:
    void replay();
    // Reads the next unit (with its leading start code) into m_buffer.
    bool readUnit();
    void joinReplay();

    std::thread m_thread;
    std::atomic<std::thread::id> m_replayThreadId{};
    std::atomic<bool> m_running{false};
    std::ifstream m_file;
    std::vector<uint8_t> m_buffer;
};

} // namespace nerevnet
