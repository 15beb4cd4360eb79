// The moving half of the controller: the choice between wired and wireless
// streaming, the one-time start of the streaming machinery, SteamVR's
// restarts and the connection of the streamer to a chosen headset. What
// happens on a tick is in nerevmanager_tick.cpp.
#include "nerevmanager.h"

#include "adbmanger.h"
#include "settingsstore.h"
#include "steammanager.h"
#include "sysmanager.h"
#include "systeminfo.h"
#include "vrlistmodel.h"

#include <QDebug>
#include <QMutex>
#include <QTimer>
#include <QTimerEvent>

using Done = SequenceQueue::Done;

// ---- Mode choice

void NerevManager::setWiredOrWireless(bool wired)
{
    if (m_switching) {
        emit showToast(QObject::tr("切换模式中，请稍后再试"), kToastMs);
        return;
    }
    qInfo() << "setwired ";
    if (wired && !m_adbSignalsConnected) {
        // Kept for the life of the program, also in wireless mode.
        connect(adb(), &AdbManger::deviceConnect, this, &NerevManager::onDeviceConnect);
        connect(adb(), &AdbManger::showAdbTipToast, this, &NerevManager::onAdbTip);
        m_adbSignalsConnected = true;
    }
    m_switching = true;
    // The rest waits for a restart or quality change under way; the block
    // above refuses further choices meanwhile.
    m_sequences.enqueue(wired ? QStringLiteral("wired mode") : QStringLiteral("wireless mode"),
                        [this, wired](Done done) { applyMode(wired, done); });
}

void NerevManager::applyMode(bool wired, Done done)
{
    SettingsStore *store = settings();
    const int definition = store->definitionIndex();
    const int fps = store->fpsIndex();
    const int encode = store->encodeIndex();
    const bool audio = store->audio();
    const bool tenBit = store->tenBitEnc();
    const bool fullRange = store->fullRange();
    const bool hdr = store->hdr();
    qInfo() << "setwired m_timeId";

    if (m_timeId == 0) {
        // First application in this process: start the machinery.
        store->applyEffects(definition, fps, encode, audio, wired, tenBit, fullRange, hdr);
        init();
        finishMode(wired);
        done();
    } else if (wired != m_wired) {
        emit showToast(QObject::tr("正在重启，请稍候"), kModeRestartToastMs);
        const bool held = lockRestart();
        stopSteamVrThen([=] {
            m_sequences.wait(m_timing.rewritePauseMs, [=] {
                settings()->applyEffects(definition, fps, encode, audio, wired, tenBit, fullRange, hdr);
                scheduleSteamVrStart();
                unlockRestart(held);
                finishMode(wired);
                done();
            });
        });
    } else {
        finishMode(wired);
        done();
    }
}

void NerevManager::finishMode(bool wired)
{
    qInfo().noquote().nospace() << "setWiredOrWireless start: " << wired;
    settings()->setWiredOrWireless(wired ? SettingsFile::WiredMode : SettingsFile::WirelessMode);
    if (wired != m_wired) {
        m_wired = wired;
        emit wiredChange();
        if (wired) {
            adb()->pollDevices();
        } else {
            m_connectedName.clear();
            m_autoConnectDone = false;
            adb()->killAdb();
        }
    }
    QTimer::singleShot(m_timing.switchBlockMs, this, [this] { m_switching = false; });
    qInfo() << "setwired end";
}

void NerevManager::init()
{
    updateSystemInfo();
    startControlServer();
    startSteamAndSteamVr();
    qInfo() << "checkSteam end";
    m_timeId = startTimer(m_timing.tickMs, Qt::CoarseTimer);
    m_ticking = true;
    QTimer::singleShot(m_timing.steamCheckMs, this, [this] { checkSteamState(); });
    if (m_appDir.contains(QLatin1String("C:/Program Files")) || m_appDir.contains(QLatin1String("C:/Windows"))) {
        QTimer::singleShot(m_timing.adminToastMs, this, [this] {
            emit showToast(QObject::tr("请使用管理员权限打开steam，或安装此程序到非系统目录"), kToastMs);
        });
    }
    qInfo() << "init end";
}

// The streamer reports to the control server from now on; another program
// on its port: keep trying until it is gone.
void NerevManager::startControlServer()
{
    SysManager *server = sys();
    if (!server->isListening() && !server->start())
        server->keepTryingToStart(SysManager::kRetryInterval);
    if (m_firewallRegistrationDue) {
        server->requestFirewallRegistration();
        m_firewallRegistrationDue = false;
    }
}

// SteamVR at once when Steam runs; otherwise Steam, and SteamVR after the wait for it.
void NerevManager::startSteamAndSteamVr()
{
    SteamManager *steamManager = steam();
    const bool steamMissing = !steamManager->steamInstalled();
    if (!steamManager->isSteamRunning()) {
        steamManager->startSteam();
        QTimer::singleShot(m_timing.steamWaitStartMs, this, [this] {
            m_sequences.enqueue(QStringLiteral("wait for Steam"), [this](Done done) {
                emit showToast(QObject::tr("steam启动中，请勿操作"), kSteamStartingToastMs);
                m_sequences.wait(m_timing.steamFirstWaitMs, [this, done] { waitForSteam(0, done); });
            });
        });
    } else {
        steamManager->startSteamVR();
    }
    if ((steamMissing ? NoneSteam : Pass) != m_steamState) {
        m_steamState = steamMissing ? NoneSteam : Pass;
        emit steamStateChange();
    }
}

// Looks for Steam until it runs or the waits are used up; SteamVR is started
// either way (it does nothing without Steam).
void NerevManager::waitForSteam(int waitsMade, Done done)
{
    if (!steam()->isSteamRunning() && waitsMade < m_timing.steamRetries) {
        m_sequences.wait(m_timing.steamRetryMs, [this, waitsMade, done] { waitForSteam(waitsMade + 1, done); });
        return;
    }
    steam()->startSteamVR();
    done();
}

void NerevManager::checkSteamState()
{
    const bool running = steam()->isSteamRunning();
    if (running == m_haslaunchSteam)
        return;
    m_haslaunchSteam = running;
    emit haslaunchSteamChange();
    if (!steam()->steamInstalled()) {
        m_steamState = running ? Pass : NoneSteam;
        emit steamStateChange();
    }
}

// ---- SteamVR restarts

bool NerevManager::lockRestart()
{
    if (m_restartMutex->tryLock())
        return true;
    qCritical() << "restart sequences overlap";
    return false;
}

void NerevManager::unlockRestart(bool held)
{
    if (held)
        m_restartMutex->unlock();
}

// SteamVR's stop waits for its processes to end: on the worker thread, with
// the rest of the sequence queued back here.
void NerevManager::stopSteamVrThen(std::function<void()> then)
{
    SteamManager *steamManager = steam();
    m_sequences.offThread([steamManager] { steamManager->stopSteamVROnThisThread(); }, std::move(then));
}

// The start after a restart's rewrite waits its turn like every sequence, so
// it never meets a stop under way.
void NerevManager::scheduleSteamVrStart()
{
    QTimer::singleShot(m_timing.restartDelayMs, this, [this] {
        m_sequences.enqueue(QStringLiteral("start SteamVR"), [this](Done done) {
            steam()->startSteamVR();
            done();
        });
    });
}

void NerevManager::stopSteam()
{
    if (m_ticking) {
        killTimer(m_timeId);
        m_ticking = false;
    }
    m_sequences.enqueue(QStringLiteral("stop SteamVR"), [this](Done done) { stopSteamVrThen(done); });
}

void NerevManager::launchSteam(bool isVR)
{
    if (!isVR)
        emit showToast(QObject::tr("正在登录steam，请稍等"), kSteamLoginToastMs);
    m_sequences.enqueue(isVR ? QStringLiteral("launch SteamVR") : QStringLiteral("launch Steam"),
                        [this, isVR](Done done) {
                            if (isVR) {
                                steam()->startSteamVR();
                                m_haslaunchSteamVR = true;
                                emit haslaunchSteamVRChange();
                                emit showToast(QObject::tr("正在准备打开或者安装SteamVR,确保已登录steam"), kToastMs);
                            } else {
                                steam()->startSteam();
                                // The field follows at the next state check.
                                emit haslaunchSteamChange();
                            }
                            done();
                        });
}

// ---- Connecting a headset

void NerevManager::connectVR(QString VRname, QString ip, bool vrState)
{
    m_sequences.enqueue(vrState ? QStringLiteral("connect ") + VRname : QStringLiteral("disconnect"),
                        [this, VRname, ip, vrState](Done done) { beginConnect(VRname, ip, vrState, done); });
}

void NerevManager::beginConnect(const QString &name, const QString &ip, bool vrState, Done done)
{
    if (vrState) {
        qInfo().noquote().nospace() << "connect VR" << m_connectedName;
        if (!m_connectedName.isEmpty()) {
            sys()->disconnectFrom(m_connectedName, m_connectedIp);
            // The streamer lets go of the old headset before the new link.
            m_sequences.wait(m_timing.answerPauseMs, [this, name, ip, done] {
                finishConnect(name, ip);
                scheduleFollowUp();
                done();
            });
            return;
        }
        finishConnect(name, ip);
    } else {
        m_userDisconnected = true;
        m_targetName.clear();
        sys()->disconnectFrom(m_connectedName, m_connectedIp);
        m_skipNextTick = true;
    }
    scheduleFollowUp();
    done();
}

void NerevManager::finishConnect(const QString &name, const QString &ip)
{
    m_skipNextTick = true;
    if (!m_recentList.contains(name, Qt::CaseSensitive))
        m_recentList.prepend(name);
    m_userDisconnected = false;
    m_targetName = name;
    m_deviceSn = name;
    if (settings()->setDeviceSn(name)) {
        emit av1AvailableChanged();
        emit effectChange();
    }
    sys()->linkTo(name, ip);
}

// One refresh a second after a connect or disconnect; the periodic tick after
// it is skipped.
void NerevManager::scheduleFollowUp()
{
    QTimer::singleShot(m_timing.connectFollowUpMs, this, [this] {
        m_sequences.enqueue(QStringLiteral("connect follow-up"), [this](Done done) {
            sys()->requestHmdInfo();
            m_sequences.wait(m_timing.answerPauseMs, [this, done] {
                emit handleEvent();
                done();
            });
        });
    });
}

// ---- ADB reports (wired mode)

void NerevManager::onDeviceConnect(bool connect, QString sn)
{
    if (!m_wired)
        return;
    if (connect) {
        m_deviceSn = sn;
        steam()->setHeadsetId(sn);
    }
    m_connectedName = sn;
    m_vrIsConnect = sys()->isDeviceConnected();
    emit vrIsConnectChange();
    emit showVrList(m_vrIsConnect, m_userDisconnected);
    emit hasEnumdevicesChange();
}

void NerevManager::onAdbTip()
{
    if (m_wired)
        emit showToast(QObject::tr("设备连接失败，请插拔眼镜再试"), kToastMs);
}

void NerevManager::shutdownADB()
{
    adb()->killAdb();
}
