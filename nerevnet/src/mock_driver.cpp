#include "mock_driver.h"

#include "codes.h"
#include "logger.h"
#include "utf8_path.h"

#include <chrono>
#include <cstring>
#include <string_view>

namespace nerevnet {

namespace {
constexpr auto kUnitPause = std::chrono::milliseconds(10);
constexpr int32_t kReplayMediaType = 2;
constexpr int32_t kReplaySubType = 1;
} // namespace

MockDriver::MockDriver()
{
    NLOG_INFO("Create MockDriver");
}

MockDriver::~MockDriver()
{
    m_running = false;
    if (m_thread.joinable()) {
        // Destroyed from inside its own notification (the host dropped the
        // last reference there): the thread cannot wait for itself.
        if (m_replayThreadId.load() == std::this_thread::get_id())
            m_thread.detach();
        else
            m_thread.join();
    }
    NLOG_INFO("Destroy MockDriver");
}

int32_t MockDriver::init(NerevnetStartupConfig* config)
{
    NLOG_INFO("Init MockDriver");
    if (!config->config.mock.filePath) {
        NLOG_ERROR("Invalid param: NerevnetStartupConfig.config.mock.filePath");
        return code(ErrorCode::InvalidParam);
    }
    const std::string_view path = config->config.mock.filePath;
    if (!isValidUtf8(path)) {
        NLOG_ERROR("Open file fail: {} (the path is not UTF-8)", printableUtf8(path));
        return code(ErrorCode::InvalidParam);
    }
    m_file.open(pathFromUtf8(path), std::ios::binary);
    if (!m_file.is_open()) {
        NLOG_ERROR("Open file fail: {}", path);
        return code(ErrorCode::InvalidParam);
    }
    return code(ErrorCode::Success);
}

int32_t MockDriver::start(const char* address, uint32_t port, uint32_t* bindPort)
{
    const int32_t result = BaseDriver::start(address, port, bindPort);
    if (result != code(ErrorCode::Success))
        return result;
    if (m_running) {
        NLOG_ERROR("[{}] Already started", networkTypeName(getType()));
        return code(ErrorCode::InvalidParam);
    }
    joinReplay();
    m_running = true;
    m_thread = std::thread([this] { replay(); });
    return code(ErrorCode::Success);
}

void MockDriver::stop()
{
    BaseDriver::stop();
    m_running = false;
    joinReplay();
}

void MockDriver::joinReplay()
{
    // A notification callback may stop the driver from the replay thread
    // itself; that thread ends by itself and is joined by the next start or
    // the destructor. Only the host's threads touch m_thread.
    if (m_replayThreadId.load() == std::this_thread::get_id())
        return;
    if (m_thread.joinable())
        m_thread.join();
}

int32_t MockDriver::sendMessage(const char* data, uint32_t length, bool reliable)
{
    BaseDriver::sendMessage(data, length, reliable);
    return static_cast<int32_t>(length);
}

bool MockDriver::sendPacket(const NerevnetPacket* packet)
{
    BaseDriver::sendPacket(packet);
    return true;
}

bool MockDriver::isConnected()
{
    BaseDriver::isConnected();
    return true;
}

bool MockDriver::readUnit()
{
    if (m_file.fail())
        return false;
    m_buffer.clear();
    int zeros = 0;
    for (;;) {
        const int c = m_file.get();
        if (c == std::char_traits<char>::eof())
            break;
        const uint8_t byte = static_cast<uint8_t>(c);
        m_buffer.push_back(byte);
        if (byte == 0) {
            if (zeros < 3)
                ++zeros;
            continue;
        }
        if (byte == 1 && zeros >= 2) {
            const size_t startCode = static_cast<size_t>(zeros) + 1;
            if (m_buffer.size() > startCode) {
                // That start code opens the next unit: leave it in the file.
                m_buffer.resize(m_buffer.size() - startCode);
                m_file.seekg(-static_cast<std::streamoff>(startCode), std::ios::cur);
                break;
            }
        }
        zeros = 0;
    }
    return m_buffer.size() > 3;
}

void MockDriver::replay()
{
    m_replayThreadId = std::this_thread::get_id();
    const int32_t role = this->role();
    onStart(role, true);
    onConnectStatus(ConnectStatus_Connecting);
    onConnectStatus(ConnectStatus_Connected);

    while (m_running) {
        if (readUnit()) {
            NerevnetPacket packet;
            std::memset(&packet, 0, sizeof(packet));
            packet.mediaType = kReplayMediaType;
            packet.subType = kReplaySubType;
            packet.data = m_buffer.data();
            packet.size = m_buffer.size();
            onReceivePacket(&packet, 0);
        }
        if (m_file.eof()) {
            m_file.clear();
            m_file.seekg(0, std::ios::beg);
            NLOG_DEBUG("Reset read position to 0");
        }
        std::this_thread::sleep_for(kUnitPause);
    }

    onConnectStatus(ConnectStatus_Disconnected);
    onStop(role);
    m_replayThreadId = std::thread::id();
}

} // namespace nerevnet
