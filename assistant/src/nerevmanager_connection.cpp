// The moving half of the controller: the choice between wired and wireless
// streaming, the one-time start of the streaming machinery, the periodic
// refresh ("what happens on a tick": timerEvent, runTick, refreshState) and
// the connection of the streamer to a chosen headset.
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
        emit showToast(QObject::tr("切换模式中，请稍后再试"), 2000);
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

    auto finish = [this, wired, done] {
        qInfo().noquote().nospace() << "setWiredOrWireless start: " << wired;
        settings()->setWiredOrWireless(wired ? 1 : 2);
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
        done();
    };

    if (m_timeId == 0) {
        // First application in this process: start the machinery.
        store->applyEffects(definition, fps, encode, audio, wired, tenBit, fullRange, hdr);
        init();
        finish();
    } else if (wired != m_wired) {
        emit showToast(QObject::tr("正在重启，请稍候"), 13000);
        const bool held = lockRestart();
        stopSteamVrThen([=] {
            m_sequences.wait(m_timing.rewritePauseMs, [=] {
                settings()->applyEffects(definition, fps, encode, audio, wired, tenBit, fullRange, hdr);
                scheduleSteamVrStart();
                unlockRestart(held);
                finish();
            });
        });
    } else {
        finish();
    }
}

void NerevManager::init()
{
    updateSystemInfo();
    SysManager *server = sys();
    if (m_firewallRegistrationDue) {
        server->requestFirewallRegistration();
        m_firewallRegistrationDue = false;
    }
    SteamManager *steamManager = steam();
    const bool steamMissing = !steamManager->steamInstalled();
    if (!steamManager->isSteamRunning()) {
        steamManager->startSteam();
        QTimer::singleShot(m_timing.steamWaitStartMs, this, [this] {
            m_sequences.enqueue(QStringLiteral("wait for Steam"), [this](Done done) {
                emit showToast(QObject::tr("steam启动中，请勿操作"), 5000);
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
    qInfo() << "checkSteam end";
    m_timeId = startTimer(m_timing.tickMs, Qt::CoarseTimer);
    m_ticking = true;
    QTimer::singleShot(m_timing.steamCheckMs, this, [this] { checkSteamState(); });
    if (m_appDir.contains(QLatin1String("C:/Program Files")) || m_appDir.contains(QLatin1String("C:/Windows"))) {
        QTimer::singleShot(m_timing.adminToastMs, this, [this] {
            emit showToast(QObject::tr("请使用管理员权限打开steam，或安装此程序到非系统目录"), 2000);
        });
    }
    qInfo() << "init end";
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
        emit showToast(QObject::tr("正在登录steam，请稍等"), 15000);
    m_sequences.enqueue(isVR ? QStringLiteral("launch SteamVR") : QStringLiteral("launch Steam"),
                        [this, isVR](Done done) {
                            if (isVR) {
                                steam()->startSteamVR();
                                m_haslaunchSteamVR = true;
                                emit haslaunchSteamVRChange();
                                emit showToast(QObject::tr("正在准备打开或者安装SteamVR,确保已登录steam"), 2000);
                            } else {
                                steam()->startSteam();
                                // The field follows at the next state check.
                                emit haslaunchSteamChange();
                            }
                            done();
                        });
}

// ---- What happens on a tick

void NerevManager::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_timeId || !m_ticking) {
        QObject::timerEvent(event);
        return;
    }
    // A tick due while a sequence runs comes after it, once, as a timer's
    // tick does after a busy spell.
    if (m_tickQueued)
        return;
    m_tickQueued = true;
    m_sequences.enqueue(QStringLiteral("refresh"), [this](Done done) {
        m_tickQueued = false;
        runTick(done);
    });
}

void NerevManager::runTick(Done done)
{
    if (!m_ticking || m_skipNextTick) {
        m_skipNextTick = false;
        done();
        return;
    }
    if (m_wired)
        sys()->sendWiredConnect(true);
    else
        sys()->requestHmdInfo();
    // The streamer's answer comes in on the control socket's worker meanwhile.
    m_sequences.wait(m_timing.answerPauseMs, [this, done] {
        emit handleEvent();
        done();
    });
}

bool NerevManager::onMainsPower() const
{
    const platform::PowerStatus status = m_services.powerStatus();
    return status.known && status.acLine == platform::AcLine::Online;
}

void NerevManager::refreshState()
{
    if (!onMainsPower()) {
        if (!m_powerTipShown) {
            m_powerTipShown = true;
            emit showPowerTip();
        }
    } else if (m_powerTipShown) {
        m_powerTipShown = false;
        emit closePowerTip();
    }

    checkSteamState();
    const bool vrRunning = steam()->isSteamVrRunning();
    if (vrRunning != m_haslaunchSteamVR) {
        m_haslaunchSteamVR = vrRunning;
        emit haslaunchSteamVRChange();
    }
    if (!m_haslaunchSteam && !vrRunning)
        return;

    if (!system()->audioIsStereo())
        emit showToast(QObject::tr("当前无音频设备或音频设备是多声道，请切换成双声道模式或者切换双声道音频设备"), 2000);

    if (m_wired) {
        system()->setDeviceSN(m_deviceSn);
        m_vrIsConnect = sys()->isDeviceConnected() && vrRunning;
        emit vrIsConnectChange();
        adb()->pollDevices();
        emit showVrList(m_vrIsConnect, m_userDisconnected);
        return;
    }

    if (m_checkNetworkProfile && system()->networkCategory().contains(QLatin1String("Public"))) {
        emit showNetWorkSetting();
        m_checkNetworkProfile = false;
    }
    m_deviceSn = sys()->deviceId();
    system()->setDeviceSN(m_deviceSn);
    const QVector<HmdInfo> list = sys()->hmdInfoList();
    m_vrListModel->updateList(list, m_recentList);

    const QString oldName = m_connectedName;
    m_connectedName.clear();
    m_connectedIp.clear();
    // The connects below find no connected headset (cleared just now), so
    // they complete here without a pause.
    const Done nothingMore = [] {};
    if (!m_autoConnectDone) {
        if (list.size() == 1 && !list.first().ip.isEmpty() && !list.first().connected) {
            m_autoConnectDone = true;
            qInfo() << "vr first connect";
            beginConnect(list.first().name, list.first().ip, true, nothingMore);
        } else if (list.size() > 1) {
            m_autoConnectDone = true;
            emit showMoreHMD();
        } else if (list.size() == 1 && list.first().connected && !list.first().name.isEmpty()) {
            // Already connected (the streamer linked it on its own): nothing
            // now, and from the next refresh on the reconnection rule below
            // adopts it. Left waiting, it would never show as connected.
            m_autoConnectDone = true;
        }
    } else if (!m_userDisconnected) {
        for (const HmdInfo &entry : list) {
            if (entry.connected) {
                qInfo().noquote() << "vr reconnect sn from: " + m_connectedName + " to " + entry.name;
                m_connectedName = entry.name;
                m_deviceSn = entry.name;
                const bool changed = settings()->setDeviceSn(entry.name);
                m_connectedIp = entry.ip;
                m_targetName = entry.name;
                if (changed) {
                    emit av1AvailableChanged();
                    emit effectChange();
                }
                break;
            }
            if (!m_targetName.isEmpty() && m_targetName == entry.name) {
                qInfo().noquote() << "vr reconnect: " + m_targetName;
                m_targetName.clear();
                beginConnect(entry.name, entry.ip, true, nothingMore);
                break;
            }
        }
    }
    emit showVrList(!m_connectedName.isEmpty(), m_userDisconnected);
    // Also when the flag still holds the wired mode's answer: after a switch
    // to wireless the name was already cleared, so it would not change here.
    const bool connected = !m_connectedName.isEmpty();
    if (m_connectedName != oldName || m_vrIsConnect != connected) {
        m_vrIsConnect = connected;
        emit vrIsConnectChange();
    }
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
        emit showToast(QObject::tr("设备连接失败，请插拔眼镜再试"), 2000);
}

void NerevManager::shutdownADB()
{
    adb()->killAdb();
}
