// What happens on a tick: every 5 s the controller asks the streamer for
// news, waits for its answer and refreshes its state through a list of named
// checks (power, Steam, SteamVR, audio, then the headset of the mode: ADB's
// in wired mode; the network profile and the streamer's headset list in
// wireless mode). refreshState only sequences them.
#include "nerevmanager.h"

#include "adbmanger.h"
#include "settingsstore.h"
#include "steammanager.h"
#include "sysmanager.h"
#include "systeminfo.h"
#include "vrlistmodel.h"

#include <QDebug>
#include <QTimerEvent>

using Done = SequenceQueue::Done;

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

void NerevManager::refreshState()
{
    checkPower();
    checkSteamState();
    const bool vrRunning = checkSteamVr();
    // The headset is not refreshed while both are down.
    if (!m_haslaunchSteam && !vrRunning)
        return;
    checkAudio();
    if (m_wired) {
        refreshWiredHeadset(vrRunning);
        return;
    }
    checkNetworkProfile();
    refreshWirelessHeadsets();
}

// The notice to plug in the charger shows once while the PC is not on mains
// power (a failing query counts as not), and closes once it is again.
void NerevManager::checkPower()
{
    const platform::PowerStatus status = m_services.powerStatus();
    const bool onMains = status.known && status.acLine == platform::AcLine::Online;
    if (onMains == !m_powerTipShown)
        return;
    m_powerTipShown = !onMains;
    if (m_powerTipShown)
        emit showPowerTip();
    else
        emit closePowerTip();
}

bool NerevManager::checkSteamVr()
{
    const bool vrRunning = steam()->isSteamVrRunning();
    if (vrRunning != m_haslaunchSteamVR) {
        m_haslaunchSteamVR = vrRunning;
        emit haslaunchSteamVRChange();
    }
    return vrRunning;
}

// Repeats on every refresh while there is no stereo output.
void NerevManager::checkAudio()
{
    if (!system()->audioIsStereo())
        emit showToast(QObject::tr("当前无音频设备或音频设备是多声道，请切换成双声道模式或者切换双声道音频设备"), kToastMs);
}

void NerevManager::refreshWiredHeadset(bool vrRunning)
{
    system()->setDeviceSN(m_deviceSn);
    m_vrIsConnect = sys()->isDeviceConnected() && vrRunning;
    emit vrIsConnectChange();
    adb()->pollDevices();
    emit showVrList(m_vrIsConnect, m_userDisconnected);
}

// Due until a public profile has been seen once.
void NerevManager::checkNetworkProfile()
{
    if (m_checkNetworkProfile && system()->networkCategory().contains(QLatin1String("Public"))) {
        emit showNetWorkSetting();
        m_checkNetworkProfile = false;
    }
}

void NerevManager::refreshWirelessHeadsets()
{
    m_deviceSn = sys()->deviceId();
    system()->setDeviceSN(m_deviceSn);
    const QVector<HmdInfo> list = sys()->hmdInfoList();
    m_vrListModel->updateList(list, m_recentList);

    const QString oldName = m_connectedName;
    m_connectedName.clear();
    m_connectedIp.clear();
    if (!m_autoConnectDone)
        handleFirstList(list);
    else if (!m_userDisconnected)
        followListedHeadsets(list);
    emit showVrList(!m_connectedName.isEmpty(), m_userDisconnected);
    // Also when the flag still holds the wired mode's answer: after a switch
    // to wireless the name was already cleared, so it would not change here.
    const bool connected = !m_connectedName.isEmpty();
    if (m_connectedName != oldName || m_vrIsConnect != connected) {
        m_vrIsConnect = connected;
        emit vrIsConnectChange();
    }
}

// The first list: one unconnected headset is connected at once, several
// bring up the chooser. The connects here find no connected headset (cleared
// by the caller), so they complete without a pause.
void NerevManager::handleFirstList(const QVector<HmdInfo> &list)
{
    if (list.size() == 1 && !list.first().ip.isEmpty() && !list.first().connected) {
        m_autoConnectDone = true;
        qInfo() << "vr first connect";
        beginConnect(list.first().name, list.first().ip, true, [] {});
    } else if (list.size() > 1) {
        m_autoConnectDone = true;
        emit showMoreHMD();
    } else if (list.size() == 1 && list.first().connected && !list.first().name.isEmpty()) {
        // Already connected (the streamer linked it on its own): nothing
        // now, and from the next refresh on the rule of later lists adopts
        // it. Left waiting, it would never show as connected.
        m_autoConnectDone = true;
    }
}

// Later lists: the first connected headset is adopted; the one asked for and
// still not connected is asked for again.
void NerevManager::followListedHeadsets(const QVector<HmdInfo> &list)
{
    for (const HmdInfo &entry : list) {
        if (entry.connected) {
            adoptConnectedHeadset(entry);
            return;
        }
        if (!m_targetName.isEmpty() && m_targetName == entry.name) {
            qInfo().noquote() << "vr reconnect: " + m_targetName;
            m_targetName.clear();
            beginConnect(entry.name, entry.ip, true, [] {});
            return;
        }
    }
}

void NerevManager::adoptConnectedHeadset(const HmdInfo &entry)
{
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
}
