#include "sysmanager.h"

#include "controllines.h"
#include "ipcsock.h"
#include "poller.h"
#include "steammanager.h"

#include <QDebug>
#include <QTimer>

#include <cstdlib>
#include <iostream>

namespace {
const std::string kHmdInfoBack = "HMDINFOBACK";
const std::string kDeviceConnectBack = "DeviceConnectBack";
const std::string kRestartSteamVR = "RESTARTSTEAMVR";
const std::string kHello = "Hello";
const std::string kHelloReply = "HHHH, You can see me!\n";
const std::string kRegisterFirewall = "RegisterFireWall";

} // namespace

int SysManager::portFromEnvironment()
{
    const char *text = std::getenv("OSTREL_CONTROL_PORT");
    if (!text || !*text)
        return -1;
    char *end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value < 1 || value > 65535) {
        qWarning() << "OSTREL_CONTROL_PORT is not a port, using 9932:" << text;
        return -1;
    }
    return static_cast<int>(value);
}

SysManager::SysManager(int port, const char *bindAddress)
    : m_poller(std::make_shared<Poller>())
    , m_socket(std::make_shared<IPCSock>(m_poller, port, bindAddress))
    , m_restartSteamVR([] { SteamManager::instance()->restartSteamVR(); })
{
}

SysManager::~SysManager()
{
    shutdown();
}

bool SysManager::start()
{
    bool failedBefore = false;
    bool listening = false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_listening || m_worker.joinable())
            return m_listening;
        failedBefore = m_startFailed;
        if (!m_socket->Startup()) {
            m_startFailed = true;
        } else {
            m_listening = true;
            m_startFailed = false;
            m_stop = false;
            m_worker = std::thread(&SysManager::run, this);
        }
        listening = m_listening;
    }
    // One line when listening fails, one when it works again.
    if (!listening && !failedBefore)
        qWarning() << "control server cannot listen on port" << m_socket->configuredPort()
                   << "(taken by another program?); the streamer cannot report until it can";
    else if (listening && failedBefore)
        qInfo() << "control server listening on port" << port() << "after all";
    return listening;
}

void SysManager::keepTryingToStart(std::chrono::milliseconds interval)
{
    if (!m_retryTimer) {
        m_retryTimer = new QTimer(this);
        connect(m_retryTimer, &QTimer::timeout, this, &SysManager::retryStart);
    }
    m_retryTimer->start(static_cast<int>(interval.count()));
}

void SysManager::retryStart()
{
    if (start() && m_retryTimer)
        m_retryTimer->stop();
}

void SysManager::shutdown()
{
    if (m_retryTimer)
        m_retryTimer->stop();
    m_stop = true;
    m_poller->wake();
    if (m_worker.joinable())
        m_worker.join();
    std::lock_guard<std::mutex> guard(m_lock);
    m_socket->shutdown();
    m_listening = false;
}

bool SysManager::isListening() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_listening;
}

int SysManager::port() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_socket->boundPort();
}

bool SysManager::hasClient() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_socket->hasClient();
}

QVector<HmdInfo> SysManager::hmdInfoList() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_socket->hasClient())
        return m_hmd_info_back;
    return QVector<HmdInfo> { HmdInfo {} };
}

bool SysManager::isDeviceConnected() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_deviceConnected;
}

QString SysManager::deviceId() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_deviceId;
}

std::uint32_t SysManager::missCount() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_missCount;
}

void SysManager::requestHmdInfo()
{
    sendCommand("HMDInfoRequest");
}

void SysManager::sendWiredConnect(bool wired)
{
    qInfo() << "sendWiredConnnect:" << wired;
    sendCommand(wired ? "WiredConnect" : "WirelessConnect");
}

void SysManager::linkTo(const QString &name, const QString &ip)
{
    if (!hasClient())
        return;
    qInfo().noquote() << "The command is LinkTo " + ip + " " + name;
    sendCommand(QStringLiteral("LinkTo %1 %2 ").arg(name, ip).toStdString());
}

void SysManager::disconnectFrom(const QString &name, const QString &ip)
{
    if (!hasClient())
        return;
    qInfo().noquote() << "The command is Disconnect " + ip + " " + name;
    sendCommand(QStringLiteral("Disconnect %1 %2 ").arg(name, ip).toStdString());
}

void SysManager::requestFirewallRegistration()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_firewallPending = true;
}

void SysManager::sendCommand(const std::string &text)
{
    std::cout << "Send data exchange command response: " << text << std::endl;
    std::lock_guard<std::mutex> guard(m_lock);
    m_socket->send(text);
}

void SysManager::setSteamVRRestart(std::function<void()> restart)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_restartSteamVR = std::move(restart);
}

void SysManager::run()
{
    while (!m_stop) {
        m_poller->wait(Poller::Read, kIdleWait);
        if (m_stop)
            break;
        processPass();
    }
}

void SysManager::processPass()
{
    std::vector<std::string> lines;
    bool received = false;
    bool connected = false;
    bool lost = false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        const bool hadClient = m_socket->hasClient();
        m_socket->acceptClient();
        received = m_socket->receiveLines(lines);
        connected = !hadClient && m_socket->hasClient();
        lost = hadClient && !m_socket->hasClient();
        // Without its streamer no headset streams, whatever it said last.
        if (lost)
            m_deviceConnected = false;
    }
    if (connected)
        qInfo() << "control client connected";
    if (lost)
        qWarning() << "control client gone; waiting for the streamer to connect again";
    if (!received)
        return;

    bool batchHadList = false;
    for (const std::string &line : lines)
        handleLine(line, &batchHadList);

    if (!batchHadList) {
        std::lock_guard<std::mutex> guard(m_lock);
        if (++m_missCount >= kMissLimit) {
            m_missCount = 0;
            m_hmd_info_back.clear();
        }
    }
}

void SysManager::handleLine(const std::string &line, bool *batchHadList)
{
    std::string command;
    std::string argument;
    ControlLines::splitLine(line, command, argument);

    if (command == kHmdInfoBack) {
        *batchHadList = true;
        QString newDeviceId;
        const QVector<HmdInfo> entries = ControlLines::parseHmdInfoList(argument, &newDeviceId);
        bool sendFirewall = false;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_missCount = 0;
            if (!newDeviceId.isEmpty())
                m_deviceId = newDeviceId;
            m_hmd_info_back = entries;
            sendFirewall = m_firewallPending;
            m_firewallPending = false;
        }
        qInfo() << "m_hmd_info_back vector size: " << entries.size();
        if (sendFirewall) {
            qInfo() << "RegisterFireWall";
            sendCommand(kRegisterFirewall);
        }
    } else if (command == kDeviceConnectBack) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_deviceConnected = argument.find("true") != std::string::npos;
    } else if (command == kRestartSteamVR) {
        // Runs here, on the worker: the loop stands still while the restart's
        // immediate steps run, and no lock is held meanwhile.
        std::function<void()> restart;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            restart = m_restartSteamVR;
        }
        if (restart)
            restart();
    } else if (command == kHello) {
        sendCommand(kHelloReply);
    }

    qInfo() << "control command:" << QString::fromStdString(command) << "argument:" << QString::fromStdString(argument)
            << "missCount:" << missCount();
}
