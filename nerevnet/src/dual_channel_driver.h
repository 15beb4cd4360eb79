// The part the UDP and TCP drivers share: a packet channel on the configured
// port and a message channel on port + 1, started and stopped together,
// their states combined into one connection status, and the packet frames
// of the packet channel turned back into packets.
#pragma once

#include "base_driver.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace nerevnet {

// One channel as the driver's start and stop see it. A channel runs its own
// event loop on its own thread between start() and stop().
class DriverChannel {
public:
    virtual ~DriverChannel() = default;

    // Spawns the server or client task and starts the thread.
    virtual void start(const std::string& address, uint16_t port, bool isServer) = 0;
    // Stops the event loop and joins the thread.
    virtual void stop() = 0;
    virtual bool isRunning() const = 0;
    virtual bool runsOnThisThread() const = 0;
    // The channel has a peer (handshake done, or connection established).
    virtual bool isUp() const = 0;
};

class DualChannelDriver : public BaseDriver {
public:
    int32_t start(const char* address, uint32_t port, uint32_t* bindPort) final;
    void stop() final;
    int32_t sendMessage(const char* data, uint32_t length, bool reliable) final;
    bool sendPacket(const NerevnetPacket* packet) final;
    bool isConnected() final;

protected:
    struct Texts {
        const char* className;            // "UdpDriver": "Init UdpDriver", "UdpDriver::port error"
        const char* packetNotConnected;   // debug line of a packet sent while not Connected
        bool logsStop;                    // "Stop UdpDriver" after the stop call line
    };

    explicit DualChannelDriver(const Texts& texts);

    // Registers the channels that the concrete driver created in init() and
    // owns; called with the driver lock held.
    void setChannels(DriverChannel* packets, DriverChannel* messages);
    // Stops both channels; every concrete driver calls it in its destructor,
    // while its channels and the callbacks they reach still exist.
    void stopChannels();

    // The transport part of the two sends, called with the driver lock held
    // and only while Connected.
    virtual int32_t sendOnMessageChannel(const char* data, uint32_t length) = 0;
    virtual bool sendOnPacketChannel(const NerevnetPacket& packet, std::vector<uint8_t>& frame) = 0;

    // Receive side of the packet channel: rebuilds the packet and raises
    // onReceivePacket, or drops a malformed frame with a log line.
    void receivePacketFrame(const uint8_t* data, size_t length);
    void receiveMessage(const uint8_t* data, size_t length);

    // Passes a status on only when it changes, and Connected only once both
    // channels are up; the two channel threads raise it concurrently.
    void onConnectStatus(int32_t status) override;

    // Serialises init with start, stop and the sends.
    std::mutex& driverLock() { return m_driverLock; }

private:
    Texts m_texts;
    DriverChannel* m_packetChannel = nullptr;
    DriverChannel* m_messageChannel = nullptr;
    std::vector<uint8_t> m_packetBuffer;
    std::mutex m_driverLock;
    std::mutex m_statusLock;
    std::atomic<int32_t> m_status{0};
    // Serialises start and stop without blocking the sends: stop joins the
    // channel threads, whose callbacks may be sending at that moment.
    std::mutex m_lifecycleLock;
};

}  // namespace nerevnet
