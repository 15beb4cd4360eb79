#include "steammanager.h"

#include "pccheck.h"
#include "settingsstore.h"
#include "systeminfo.h"

#include "platform/shell.h"
#include "platform/short_path.h"
#include "platform/steam_layout.h"
#include "platform/system_facts.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QMetaObject>
#include <QThread>
#include <QTimer>
#include <QtConcurrent>

namespace {

const char* kSteamKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Valve\\Steam";
const char* kUninstallKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char* kSteamVrKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Steam App 250820";
const char* kSteamVrUrl = "steam://rungameid/250820";

QString fromStd(const std::string& s)
{
    return QString::fromUtf8(s.data(), static_cast<int>(s.size()));
}

QString appDir()
{
    return QCoreApplication::applicationDirPath();
}

QString homeDir()
{
    return QDir::homePath();
}

// The driver folder as SteamVR can load it: SteamVR does not load a driver from a
// folder whose path holds characters outside ASCII, so such a folder goes in by
// its short (8.3) path where the file system has one.
QString driverFolderForSteamVr()
{
    const QString folder = appDir();
    if (PcCheck::isPlainAscii(folder))
        return folder;
    return PcCheck::readableDriverFolder(folder, fromStd(platform::shortPathName(QDir::toNativeSeparators(folder).toStdString())));
}

platform::SteamLayout layout()
{
    return platform::steamLayout(QDir::toNativeSeparators(homeDir()).toStdString());
}

} // namespace

SteamManager* SteamManager::instance()
{
    static SteamManager manager;
    return &manager;
}

SteamManager::SteamManager(const ProcessNames& names, QObject* parent)
    : QObject(parent)
    , m_names(names)
{
    // Created first so that it outlives this object at program exit.
    SettingsStore::instance();
    if (!m_shm.open())
        qWarning() << "[steam] shared memory block could not be opened; SteamVR start-up will not be seen";
    m_steamInstalled = isSteamInstalled();
    isSteamRunning();
}

SteamManager::~SteamManager()
{
    // A start task uses this object until it ends. Counted in an atomic the
    // race detector sees: the thread pool's own hand-over happens inside Qt.
    QElapsedTimer startWait;
    startWait.start();
    while (m_startTasks.load(std::memory_order_acquire) > 0 && startWait.elapsed() < kStartWaitLimitMs)
        QThread::msleep(10);
    if (m_startTasks.load(std::memory_order_acquire) > 0)
        qWarning() << "[steam] Steam start still running at exit";
    SettingsStore::instance()->clearExternalDrivers(appDir(), homeDir());
    // Pollers read the block through this object: let them end before it goes.
    m_pollerLimitMs = 0;
    QElapsedTimer t;
    t.start();
    while (m_activePollers.loadAcquire() > 0 && t.elapsed() < 2000)
        QThread::msleep(10);
    m_shm.close();
}

bool SteamManager::isSteamInstalled()
{
    // A machine without an uninstall list can still have Steam's own key.
    if (const auto subKeys = platform::registrySubKeys(kUninstallKey)) {
        for (const std::string& sub : *subKeys) {
            const std::string key = std::string(kUninstallKey) + "\\" + sub;
            const auto name = platform::registryString(key, "DisplayName");
            if (name && *name == "Steam")
                return true;
        }
    }
    return platform::registryKeyExists(kSteamKey);
}

QString SteamManager::steamInstallPath()
{
    if (const auto path = platform::registryString(kSteamKey, "InstallPath"); path && !path->empty())
        return fromStd(*path);
    if (const auto subKeys = platform::registrySubKeys(kUninstallKey)) {
        for (const std::string& sub : *subKeys) {
            const std::string key = std::string(kUninstallKey) + "\\" + sub;
            const auto name = platform::registryString(key, "DisplayName");
            if (!name || *name != "Steam")
                continue;
            if (const auto location = platform::registryString(key, "InstallLocation"))
                return fromStd(*location);
        }
    }
    const platform::SteamLayout l = layout();
    for (const std::string& folder : l.fallbackFolders) {
        if (QFileInfo::exists(fromStd(folder + l.separator + l.launcherMarker)))
            return fromStd(folder);
    }
    qWarning() << "[steam] Could not find Steam installation path";
    return QString();
}

bool SteamManager::isSteamRunning()
{
    const bool running = SystemInfo::isProcessRunning(m_names.steam);
    m_steamRunning = running;
    if (running)
        ++m_steamSeenCount;
    else
        m_steamSeenCount = 0;
    const bool result = m_steamSeenCount >= 4;
    if (result)
        return true;
    qInfo().nospace() << "[steam] " << (running ? "lanunched steam" : "not launch steam")
                      << ",true num:" << m_steamSeenCount << ",ret:" << result
                      << "; external_drivers: " << SettingsStore::instance()->hasExternalDrivers(homeDir());
    return false;
}

void SteamManager::startSteam()
{
    QMutexLocker lock(&m_mutex);
    qInfo() << "[steam] startSteam called";
    if (m_steamStarting) {
        qWarning() << "[steam] Steam is starting, return";
        emit showToast(tr("Steam正在启动中，请稍候"));
        return;
    }
    if (isSteamRunning()) {
        qInfo() << "[steam] steam is already running";
        return;
    }
    m_steamStarting = true;
    m_startTasks.fetch_add(1, std::memory_order_acq_rel);
    QtConcurrent::run([this] {
        SettingsStore::instance()->clearExternalDrivers(appDir(), homeDir());
        QThread::msleep(2000);
        const bool ok = launchSteamExe();
        {
            QMutexLocker inner(&m_mutex);
            m_steamStarting = false;
        }
        if (ok) {
            qInfo() << "[steam] startupSteam completed";
        } else {
            qWarning() << "[steam] startupSteam failed";
            emit showToast(tr("启动Steam失败"));
        }
        // The last use of this object: destruction may go on from here.
        m_startTasks.fetch_sub(1, std::memory_order_acq_rel);
    });
}

void SteamManager::setHeadsetId(QString id)
{
    m_headsetId = id;
}

bool SteamManager::launchSteamExe()
{
    const QString folder = steamInstallPath();
    if (folder.isEmpty()) {
        qWarning() << "[steam] Cannot find Steam installation path";
        emit showToast(tr("未找到Steam安装路径"));
        return false;
    }
    const platform::SteamLayout l = layout();
    const QString exe = folder + QChar::fromLatin1(l.separator) + fromStd(l.launcher);
    qInfo() << "[steam] steam path:" << exe;
    QElapsedTimer clock;
    clock.start();

    platform::ShellRequest request;
    request.file = exe.toStdString();
    request.parameters = "-silent";
    request.hidden = true;
    request.waitMs = 10000;
    const platform::ShellResult r = platform::shellExecute(request);
    if (!r.started) {
        qWarning().nospace() << "[steam] executeExA failed, error:" << r.code << ", elapsed:" << clock.elapsed() << "ms";
        return false;
    }
    switch (r.wait) {
    case platform::ShellResult::Wait::Finished:
        qDebug().nospace() << "[steam] steam.exe success in " << clock.elapsed() << "ms";
        break;
    case platform::ShellResult::Wait::TimedOut:
        qWarning().nospace() << "[steam] steam.exe wait timeout after 10s, " << clock.elapsed() << "ms";
        break;
    case platform::ShellResult::Wait::Failed:
        qWarning().nospace() << "[steam] steam.exe failed, error:" << r.code << ", " << clock.elapsed() << "ms";
        break;
    case platform::ShellResult::Wait::NoProcess:
    case platform::ShellResult::Wait::NotWaited:
        qWarning() << "[steam] Process handle is null";
        break;
    }
    qInfo() << "[steam] wait for steam.exe complete (max 10s)...";
    return true;
}

void SteamManager::startSteamVR()
{
    if (QThread::currentThread() != thread()) {
        qWarning() << "[steam] startSteamVR thread";
        QMetaObject::invokeMethod(this, "startSteamVR", Qt::QueuedConnection);
        return;
    }
    // Checked on the owning thread: the debounce counter belongs to it.
    if (!isSteamRunning())
        return;
    QString runtime;
    SettingsStore::instance()->setExternalDrivers(driverFolderForSteamVr(), homeDir(), runtime);
    qInfo() << "[steam] startSteamVR";
    m_shm.writeValue(0);
    if (!platform::openUrlDetached(kSteamVrUrl))
        qWarning() << "[steam] could not open" << kSteamVrUrl;
    startPoller();
}

void SteamManager::startPoller()
{
    auto* poller = new QThread;
    auto* timer = new QTimer;
    timer->setInterval(50);
    timer->moveToThread(poller);
    m_activePollers.ref();
    auto* waited = new QElapsedTimer;
    waited->start();
    connect(poller, &QThread::started, timer, qOverload<>(&QTimer::start), Qt::DirectConnection);
    connect(timer, &QTimer::timeout, timer, [this, timer, poller, waited] {
        quint32 value = 0;
        m_shm.readValue(value);
        if (value == 1) {
            qInfo() << "[steam] vrserver.exe detected, clearing VR config";
        } else if (waited->elapsed() >= m_pollerLimitMs.load()) {
            // Never leave the streamer registered for a SteamVR the user starts later.
            qWarning() << "[steam] no start-up signal from the streamer after" << waited->elapsed()
                       << "ms, clearing VR config";
        } else {
            return;
        }
        SettingsStore::instance()->clearExternalDrivers(appDir(), homeDir());
        timer->stop();
        poller->quit();
    }, Qt::DirectConnection);
    connect(poller, &QThread::finished, timer, &QObject::deleteLater, Qt::DirectConnection);
    connect(poller, &QThread::finished, poller, [this, poller, waited] {
        delete waited;
        poller->deleteLater();
        m_activePollers.deref();
    }, Qt::DirectConnection);
    poller->start();
}

int SteamManager::activePollers() const
{
    return m_activePollers.loadAcquire();
}

bool SteamManager::anySteamVrProcessRunning() const
{
    for (const QString& name : m_names.steamVr) {
        if (SystemInfo::isProcessRunning(name))
            return true;
    }
    return false;
}

void SteamManager::stopSteamVR()
{
    if (QThread::currentThread() != thread()) {
        qWarning() << "[steam] stopSteamVR thread";
        QMetaObject::invokeMethod(this, "stopSteamVR", Qt::QueuedConnection);
        return;
    }
    stopSteamVROnThisThread();
}

void SteamManager::stopSteamVROnThisThread()
{
    SettingsStore::instance()->clearExternalDrivers(appDir(), homeDir());
    if (anySteamVrProcessRunning()) {
        shutdownSteamVr();
        QElapsedTimer waited;
        waited.start();
        while (anySteamVrProcessRunning()) {
            const int limitMs = m_stopWaitLimitMs.load();
            if (waited.elapsed() >= limitMs) {
                qWarning() << "[steam] SteamVR still running after" << waited.elapsed()
                           << "ms, no longer waiting for it";
                break;
            }
            QThread::msleep(static_cast<unsigned long>(qMin(1000, limitMs)));
        }
        QThread::msleep(static_cast<unsigned long>(m_settleMs.load()));
        endVrSession();
    }
    qInfo() << "[steam] stopSteamVR";
}

bool SteamManager::shutdownSteamVr()
{
    const QString location = steamVrInstallPath();
    if (location.isEmpty())
        return false;
    const platform::SteamLayout l = layout();
    platform::ShellRequest request;
    request.file = (location + QChar::fromLatin1(l.separator) + fromStd(l.vrShutdownTool)).toStdString();
    request.parameters = "-shutdown";
    request.hidden = true;
    request.waitMs = 5000;
    return platform::shellExecute(request).started;
}

QString SteamManager::steamVrInstallPath()
{
    return fromStd(platform::registryString(kSteamVrKey, "InstallLocation").value_or(std::string()));
}

void SteamManager::restartSteamVR()
{
    qInfo() << "[steam] restartSteamVR";
    stopSteamVR();
    SettingsStore::instance()->save(m_headsetId);
    QThread::msleep(1500);
    // Timers need this object's thread; from the socket thread they are handed over.
    QMetaObject::invokeMethod(this, [this] {
        QTimer::singleShot(10000, this, [this] { startSteamVR(); });
        QTimer::singleShot(4000, this, [this] { emit showToast(tr("正在重启，请等待")); });
    }, Qt::QueuedConnection);
}

bool SteamManager::isSteamVrRunning()
{
    if (SystemInfo::isProcessRunning(m_names.vrMonitor)) {
        m_vrMonitorMissCount = 0;
        noteVrSessionSeen();
        return true;
    }
    ++m_vrMonitorMissCount;
    qWarning().nospace() << "[steam] hasLaunchSteamVR:" << false << "; switch: " << m_vrMonitorMissCount;
    if (m_vrMonitorMissCount < 2)
        return true;
    endVrSession();
    return false;
}

bool SteamManager::isFirewallRuleRegistered(QString steamVrDir)
{
    const platform::SteamLayout l = layout();
    if (l.firewallRuleQuery.empty()) {
        qInfo() << "[steam] no firewall rule to look for on this system";
        return true;
    }
    const QString output = SystemInfo::runCommand(fromStd(l.firewallRuleQuery));
    return output.contains(steamVrDir + QChar::fromLatin1(l.separator) + fromStd(l.vrServer), Qt::CaseSensitive);
}

void SteamManager::setWaitLimits(int stopWaitLimitMs, int pollerLimitMs, int settleMs)
{
    m_stopWaitLimitMs = stopWaitLimitMs;
    m_pollerLimitMs = pollerLimitMs;
    m_settleMs = settleMs;
}

void SteamManager::noteVrSessionSeen()
{
    std::lock_guard<std::mutex> lock(m_sessionMutex);
    if (!m_vrSession.isValid())
        m_vrSession.start();
}

void SteamManager::endVrSession()
{
    int sec = 0;
    {
        std::lock_guard<std::mutex> lock(m_sessionMutex);
        if (!m_vrSession.isValid())
            return;
        sec = static_cast<int>(m_vrSession.elapsed() / 1000);
        m_vrSession.invalidate();
    }
    qInfo() << "[steam] SteamVR session ended after" << sec << "s";
    emit steamAppChange(sec, QStringLiteral("SteamVR"));
}
