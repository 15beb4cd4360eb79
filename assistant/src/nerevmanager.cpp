// The controller's surface: construction and destruction, the system
// information documents and the hardware verdict, analytics, feedback, the
// port check and the small operations of the pages.
#include "nerevmanager.h"

#include "adbmanger.h"
#include "atomicfile.h"
#include "httpmanager.h"
#include "qualitytable.h"
#include "settingsstore.h"
#include "steammanager.h"
#include "sysmanager.h"
#include "systeminfo.h"
#include "userfolder.h"
#include "vrlistmodel.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QSysInfo>
#include <QThread>
#include <QTimer>

// Help pages of gotoWeb(): release builds may set them with
// -DOSTREL_HELP_URL_CHINESE=... and -DOSTREL_HELP_URL_OTHER=... (see README).
#ifndef OSTREL_HELP_URL_CHINESE
#define OSTREL_HELP_URL_CHINESE "https://www.ostrel.com/zh/support/streaming-assistant"
#endif
#ifndef OSTREL_HELP_URL_OTHER
#define OSTREL_HELP_URL_OTHER "https://www.ostrel.com/en/support/streaming-assistant"
#endif

namespace {

// The GPU table's score from which the PC can stream.
constexpr int kSufficientHardwareScore = 8;

// Steam's official page for downloading its client.
const char kSteamDownloadUrl[] = "https://store.steampowered.com/about/";

QString compactJson(const QJsonArray &array)
{
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

QJsonArray pair(const QString &label, const QString &value)
{
    return QJsonArray { label, value };
}

// A build constant, unless the environment variable of the same name holds an
// http(s) address.
QUrl configuredUrl(const char *variable, const char *builtIn)
{
    const QString overridden = qEnvironmentVariable(variable);
    if (!overridden.isEmpty()) {
        const QUrl url(overridden, QUrl::StrictMode);
        if (url.isValid() && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))
            && !url.host().isEmpty())
            return url;
        qWarning().noquote() << QStringLiteral("%1 is not an http(s) address, using %2: %3")
                                    .arg(QString::fromLatin1(variable), QString::fromLatin1(builtIn), overridden);
    }
    return QUrl(QString::fromLatin1(builtIn));
}

} // namespace

NerevManager::NerevManager(const Services &services, const Timing &timing, QObject *parent)
    : QObject(parent)
    , m_services(services)
    , m_timing(timing)
    , m_sequences(this)
{
    Q_ASSERT(services.settings && services.steam && services.adb && services.sys && services.system && services.http);
    if (!m_services.powerStatus)
        m_services.powerStatus = &platform::powerStatus;
    construct();
}

void NerevManager::construct()
{
    qRegisterMetaType<VRListModel *>();
    m_appDir = QCoreApplication::applicationDirPath();
    m_startTime = QDateTime::currentDateTime();

    // A SteamVR left running by an earlier run ends before anything else happens.
    steam()->stopSteamVR();
    // The inventory next: it also tells the settings store whether the virtual
    // audio cable is there, which the session-file write of a stored mode needs.
    system();

    // Captured once for the SteamVR session report.
    const QJsonObject section = settings()->load(false, int(QualityTable::Model::KZ));
    const int definition = section.value(QStringLiteral("definitionIndex")).toInt(0);
    const bool fps90 = section.value(QStringLiteral("fps")).toString() != QLatin1String("72");
    const bool microphone = section.value(QStringLiteral("audio")).toBool(false);

    checkFirewallRule();

    m_recentList = settings()->recentHeadsets();
    m_vrListModel = new VRListModel(this);
    m_restartMutex = new QMutex;

    connect(this, &NerevManager::handleEvent, this, &NerevManager::refreshState);
    connect(steam(), &SteamManager::steamAppChange, this,
            [this, definition, fps90, microphone](int sec, QString appName) {
                reportSteamVrSession(sec, appName, definition, fps90, microphone);
            });

    const int mode = settings()->wiredOrWireless();
    qInfo().noquote().nospace() << "getWiredOrWireless : " << mode;
    if (mode != SettingsFile::NoMode) {
        m_hideSelectPage = true;
        setWiredOrWireless(mode == SettingsFile::WiredMode);
    }
    report(QStringLiteral("streamingAssistant_streaming_streamingType_0_0_page_view"));
}

// The streamer needs a firewall rule for SteamVR's server. SteamVR's folder
// comes from its uninstall entry; where it is unknown there is nothing to ask.
void NerevManager::checkFirewallRule()
{
    const QString folder = steam()->steamVrInstallPath();
    if (folder.isEmpty()) {
        qInfo() << "SteamVR folder unknown, firewall rule not checked";
        return;
    }
    if (steam()->isFirewallRuleRegistered(folder)) {
        qInfo() << "has register Nerev firewall";
        return;
    }
    qInfo() << "need register Nerev firewall";
    m_firewallRegistrationDue = true;
}

NerevManager::~NerevManager()
{
    // The window is gone: the exit sequence may block. A stop still running
    // on the worker thread ends first; what was queued behind it is dropped.
    m_sequences.shutdown();
    if (m_timeId != 0)
        killTimer(m_timeId);

    steam()->stopSteamVR();
    QThread::msleep(static_cast<unsigned long>(m_timing.exitPauseMs));
    settings()->save(m_deviceSn);
    settings()->tidySessionFile();
    settings()->storeRecentHeadsets(m_recentList);
    // A restart cut short above still holds the mutex (locked on this thread):
    // released either way before it goes.
    m_restartMutex->tryLock();
    m_restartMutex->unlock();
    delete m_restartMutex;
}

void NerevManager::report(const QString &eventId, const QJsonObject &extraData)
{
    http()->report(eventId, extraData);
}

// ---- System information and the hardware verdict

void NerevManager::updateSystemInfo()
{
    SystemInfo *info = system();
    const QString cpu = info->cpu();
    const QString gpuText = info->graphics().join(QLatin1Char(';'));

    const QString labels[] = { QObject::tr("操作系统："), QObject::tr("处理器："), QObject::tr("内存："),
                               QObject::tr("显卡："), QObject::tr("DirectX 版本：") };
    auto column = [&labels](const QString &title, const QStringList &values) {
        QJsonArray pairs;
        for (int i = 0; i < 5; ++i)
            pairs.append(pair(labels[i], values.at(i)));
        return QJsonArray { title, pairs };
    };
    m_systemInfo.append(column(QObject::tr("当前配置"), { info->os(), cpu, info->ram(), gpuText, info->directX() }));
    m_systemInfo.append(column(QObject::tr("最低配置"),
                               { info->minimumSystem(), info->minimumProcessor(), info->minimumMemory(),
                                 info->minimumGraphics(), info->minimumDirectX() }));
    m_systemInfo.append(column(QObject::tr("推荐配置"),
                               { info->recommendedSystem(), info->recommendedProcessor(), info->recommendedMemory(),
                                 info->recommendedGraphics(), info->recommendedDirectX() }));
    m_simplySystemInfo = QJsonArray { pair(QObject::tr("处理器："), cpu), pair(QObject::tr("显卡："), gpuText) };
    emit systemInfoChange();
    m_gpuNames = gpuText;
    m_cpuName = cpu;
    judgeHardware();
}

QString NerevManager::systemInfo() const
{
    return compactJson(m_systemInfo);
}

QString NerevManager::simplySystemInfo() const
{
    return compactJson(m_simplySystemInfo);
}

// The verdict from the facts: the operating system, the processor and
// graphics against the GPU table. Emitted (and announced) on every judgment,
// so a page that reads it again learns of a new table.
void NerevManager::judgeHardware()
{
    if (m_systemInfo.isEmpty())
        return;
    HardwareState state = NotCanRun;
    // The major version: "10" on Windows 10; "22.04" reads 22.
    const int major = QSysInfo::productVersion().section(QLatin1Char('.'), 0, 0).toInt();
    if (major < 10)
        qCritical() << "system not match";
    else if (settings()->hardwareScore(m_cpuName, m_gpuNames) >= kSufficientHardwareScore)
        state = AdviceHardware;
    else
        qCritical() << "cpu or gpu not match";
    m_pcHardware = state;
    m_gpuDriverOutdated = state == AdviceHardware && system()->nvidiaDriverOutdated();
    emit pcHardwareChange();
    // Once the mode that names the page view is set and the pages listen.
    QTimer::singleShot(0, this, &NerevManager::announceHardware);
}

void NerevManager::announceHardware()
{
    if (m_gpuDriverOutdated)
        emit showUpdateGPUPage();
    report(m_wired ? QStringLiteral("streamingAssistant_streaming_wiredStreaming_0_0_page_view")
                   : QStringLiteral("streamingAssistant_streaming_wirelessStreaming_0_0_page_view"),
           QJsonObject { { QStringLiteral("is_available"), m_pcHardware != NotCanRun } });
}

QString NerevManager::vrName() const
{
    if (!m_vrIsConnect || m_wired)
        return QObject::tr("Marelle眼镜");
    return QObject::tr("眼镜ID：") + m_connectedName.right(6);
}

QVariant NerevManager::vrLists() const
{
    return QVariant::fromValue(m_vrListModel);
}

// ---- Analytics

void NerevManager::reportSteamVrSession(int sec, QString appName, int definitionIndex, bool fps90, bool microphone)
{
    const QString quality = m_wired ? QStringLiteral("Wired") : QualityTable::analyticsName(definitionIndex);
    report(QStringLiteral("streamingAssistant_steamvr_0_0_0_module_pend"),
           QJsonObject { { QStringLiteral("duration"), sec },
                         { QStringLiteral("streamingApp"), appName },
                         { QStringLiteral("streamingType"), m_wired ? QStringLiteral("wired") : QStringLiteral("wireless") },
                         { QStringLiteral("fps"), fps90 ? 90 : 72 },
                         { QStringLiteral("microphoneOn"), microphone },
                         { QStringLiteral("graphicsQuality"), quality } });
}

void NerevManager::reportstreamMode(bool wired, bool isSwitch)
{
    QString event;
    if (!isSwitch) {
        event = wired ? QStringLiteral("streamingAssistant_streaming_streamingType_wiredStreaming_start_pit_click")
                      : QStringLiteral("streamingAssistant_streaming_streamingType_wirelessStreaming_start_pit_click");
    } else {
        // `wired` is the mode before the switch.
        event = wired ? QStringLiteral("streamingAssistant_streaming_wiredStreaming_nerevGlasses_"
                                       "switchToWirelessStreaming_pit_click")
                      : QStringLiteral("streamingAssistant_streaming_wirelessStreaming_nerevGlasses_"
                                       "switchToWiredStreaming_pit_click");
    }
    report(event);
}

void NerevManager::closeApp()
{
    report(QStringLiteral("streamingAssistant_streaming_0_0_0_module_pend"),
           QJsonObject { { QStringLiteral("duration"), m_startTime.secsTo(QDateTime::currentDateTime()) } });
    http()->sendQueuedEvents(false);
}

void NerevManager::sendFeecback(QString content, QString id)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QString name = now.date().toString(QStringLiteral("yyyy-MM-dd ")) + now.time().toString(Qt::TextDate)
        + QLatin1Char('_') + (m_deviceSn.isEmpty() ? id : m_deviceSn);

    SystemInfo *info = system();
    const QJsonObject feedback { { QStringLiteral("content"), content },
                                 { QStringLiteral("contact"), id },
                                 { QStringLiteral("cpu"), info->cpu() },
                                 { QStringLiteral("gpu"), info->graphics().join(QLatin1Char(';')) } };
    UserFolder::ensure();
    const QString path = UserFolder::path() + QStringLiteral("/feedback.json");
    QString error;
    if (writeFileAtomically(path, QJsonDocument(feedback).toJson(QJsonDocument::Indented), &error)
        != AtomicWriteResult::Written) {
        qWarning().noquote() << "feedback file cannot be written: " + path + " " + error;
        return;
    }
    http()->uploadFeedback(path, name);
}

// ---- Small operations of the pages

QUrl NerevManager::webPage(Urls url, QLocale::Language language)
{
    switch (url) {
    case SteamUrl:
        return QUrl(QString::fromLatin1(kSteamDownloadUrl));
    case UserHelperUrl:
    case SteamHelperUrl:
        return language == QLocale::Chinese ? configuredUrl("OSTREL_HELP_URL_CHINESE", OSTREL_HELP_URL_CHINESE)
                                            : configuredUrl("OSTREL_HELP_URL_OTHER", OSTREL_HELP_URL_OTHER);
    }
    return QUrl();
}

void NerevManager::gotoWeb(Urls url)
{
    const QUrl page = webPage(url, QLocale().language());
    if (page.isEmpty()) {
        qWarning() << "gotoWeb: no page for" << int(url);
        return;
    }
    QDesktopServices::openUrl(page);
}

void NerevManager::setupNewVersion()
{
    emit closeExe();
}

bool NerevManager::isHasConnectedDevice()
{
    return m_vrListModel->firstName() == m_targetName;
}

void NerevManager::openNetworkSetting()
{
    QDesktopServices::openUrl(QUrl(QStringLiteral("ms-settings:network")));
}

bool NerevManager::installAudio()
{
    if (SystemInfo::vbCableInstalled())
        return true;
    system()->installVbCable(m_appDir);
    return false;
}

QString NerevManager::trimmedString(QString str)
{
    return str.trimmed();
}

void NerevManager::checkPortUsage()
{
    static const char *const kOurs[] = { "vr", "steam", "System Process", "adb.exe" };
    QStringList others;
    for (const QString &name : system()->portUsers(m_services.streamingPorts)) {
        // adb is "adb" where programs carry no extension.
        bool ours = SystemInfo::processNameMatches(name, QStringLiteral("adb.exe"));
        for (const char *part : kOurs)
            ours = ours || name.contains(QLatin1String(part), Qt::CaseSensitive);
        if (!ours)
            others << name;
    }
    if (others.isEmpty())
        return;
    const QString names = others.join(QLatin1Char(';'));
    qInfo().noquote() << names;
    emit showUseProtPage(names);
}

bool NerevManager::isKY()
{
    return m_deviceSn.startsWith(QLatin1String("KY"));
}

bool NerevManager::isHideSelectPage()
{
    return m_hideSelectPage;
}
