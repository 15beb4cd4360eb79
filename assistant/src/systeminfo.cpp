#include "systeminfo.h"

#include "programversion.h"
#include "settingsstore.h"

#include "platform/audio.h"
#include "platform/command.h"
#include "platform/display.h"
#include "platform/memory.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "platform/system_facts.h"
#include "platform/tcp_ports.h"

#include <QAudioDeviceInfo>
#include <QDebug>
#include <QProcess>
#include <QSet>
#include <QTextCodec>

#include <set>

namespace {

const char* kVbCableName = "CABLE Output (VB-Audio Virtual Cable)";
const quint32 kVendorNvidia = 0x10DE;
const quint32 kVendorAmd = 0x1002;
const quint32 kVendorMicrosoft = 0x1414;
const quint32 kDeviceBasicRender = 0x008C;

QString fromStd(const std::string& s)
{
    return QString::fromUtf8(s.data(), static_cast<int>(s.size()));
}

QString registryText(const char* key, const char* value)
{
    return fromStd(platform::registryString(key, value).value_or(std::string()));
}

} // namespace

SystemInfo* SystemInfo::instance()
{
    static SystemInfo* info = [] {
        // The session file names the virtual cable as microphone only when it is there.
        SettingsStore::instance()->setVbCableCheck(&SystemInfo::vbCableInstalled);
        return new SystemInfo();
    }();
    return info;
}

SystemInfo::SystemInfo(QObject* parent)
    : QObject(parent)
{
    m_process = new QProcess(this);
    connect(m_process, &QProcess::readyReadStandardOutput, this,
            [this] { applyNetworkCategoryOutput(m_process->readAllStandardOutput()); });
    m_audioProbe = [](QString& name, int& channels) {
        const auto out = platform::firstAudioOutput();
        if (!out)
            return false;
        name = fromStd(out->name);
        channels = out->channels;
        return true;
    };
    collect();
    m_networkCategory = QStringLiteral("Private");
    startNetworkCategoryQuery();
}

SystemInfo::~SystemInfo()
{
    if (m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished(1000);
    }
}

void SystemInfo::collect()
{
    m_version = QString::fromLatin1(programVersion());

    m_os = registryText("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "ProductName");
    m_machineGuid = registryText("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Cryptography", "MachineGuid");
    m_cpu = registryText("HKEY_LOCAL_MACHINE\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
                         "ProcessorNameString");

    m_ram = ramText(platform::totalPhysicalMemory().value_or(0));

    const platform::FeatureLevel probe = platform::direct3DFeatureLevel();
    m_directX = directXText(probe.obtained, probe.invalidArgument, probe.level);

    if (const auto found = platform::displayAdapters()) {
        QList<Adapter> adapters;
        for (const auto& a : *found)
            adapters.append(Adapter{fromStd(a.name), a.vendorId, a.deviceId, a.dedicatedVideoMemory});
        setAdapters(adapters);
    }
    qInfo() << "system info: os" << m_os << "cpu" << m_cpu << m_ram << "directX" << m_directX
            << "integrated" << m_integratedGraphics << "discrete" << m_discreteGraphics << "vram" << m_vram;
}

QStringList SystemInfo::graphics() const
{
    QStringList list;
    if (!m_discreteGraphics.isEmpty())
        list << m_discreteGraphics;
    if (!m_integratedGraphics.isEmpty())
        list << m_integratedGraphics;
    return list;
}

QString SystemInfo::minimumProcessor() const { return tr("Intel Core i5-6600/AMD锐龙3 1300X同等性能及以上"); }
QString SystemInfo::recommendedProcessor() const { return tr("Intel Core i7-9700/AMD 锐龙5 3600 同等性能及以上"); }
QString SystemInfo::minimumGraphics() const { return tr("NVDIA GeFore GTX 970/AMD RX 480 同等性能及以上"); }
QString SystemInfo::recommendedGraphics() const { return tr("NVDIA GeFore RTX 3060/AMD RX 6600XT 同等性能及以上"); }
QString SystemInfo::minimumDirectX() const { return QStringLiteral("DirectX 11"); }
QString SystemInfo::recommendedDirectX() const { return QStringLiteral("DirectX 11"); }
QString SystemInfo::minimumSystem() const { return QStringLiteral("Windows 10"); }
QString SystemInfo::recommendedSystem() const { return QStringLiteral("Windows 10/11"); }
QString SystemInfo::minimumMemory() const { return QStringLiteral("8 GB RAM"); }
QString SystemInfo::recommendedMemory() const { return QStringLiteral("16 GB RAM"); }

void SystemInfo::setAdapters(const QList<Adapter>& adapters)
{
    const AdapterClasses classes = classifyAdapters(adapters);
    m_integratedGraphics = classes.integratedGraphics;
    m_discreteGraphics = classes.discreteGraphics;
    m_vram = classes.vram;
}

void SystemInfo::setDeviceSN(const QString& sn)
{
    if (!sn.isEmpty() && sn != m_deviceSN)
        m_deviceSN = sn;
}

QJsonObject SystemInfo::reportJson() const
{
    QJsonObject o;
    o.insert(QStringLiteral("streamingAssistantVersion"), m_version);
    o.insert(QStringLiteral("GUID"), m_machineGuid);
    o.insert(QStringLiteral("os"), m_os);
    o.insert(QStringLiteral("cpu"), m_cpu);
    o.insert(QStringLiteral("ram"), m_ram);
    o.insert(QStringLiteral("integratedGraphics"), m_integratedGraphics);
    o.insert(QStringLiteral("discreteGraphics"), m_discreteGraphics);
    o.insert(QStringLiteral("vram"), m_vram);
    o.insert(QStringLiteral("deciveSN"), m_deviceSN);
    return o;
}

SystemInfo::AdapterClasses SystemInfo::classifyAdapters(const QList<Adapter>& adapters)
{
    AdapterClasses c;
    for (const Adapter& a : adapters) {
        if (a.vendorId == kVendorMicrosoft && a.deviceId == kDeviceBasicRender)
            continue;
        if (a.vendorId == kVendorNvidia) {
            c.discreteGraphics = a.name;
            c.vram = videoMemoryText(a.dedicatedVideoMemory);
        } else if (a.vendorId == kVendorAmd) {
            // An AMD card next to another adapter is the discrete one; alone it may be an APU.
            if (!c.integratedGraphics.isEmpty() && c.integratedGraphics != a.name) {
                c.discreteGraphics = a.name;
                c.vram = videoMemoryText(a.dedicatedVideoMemory);
            } else {
                c.integratedGraphics = a.name;
            }
        } else {
            c.integratedGraphics = a.name;
        }
    }
    return c;
}

QString SystemInfo::videoMemoryText(quint64 dedicatedBytes)
{
    // No dedicated memory reported means unknown, not one megabyte.
    if (dedicatedBytes == 0)
        return QString();
    const quint64 mib = (dedicatedBytes >> 20) + 1;
    if (mib >= 1024)
        return QString::number((dedicatedBytes >> 30) + 1) + QStringLiteral("GB");
    return QString::number(mib) + QStringLiteral("M");
}

QString SystemInfo::ramText(quint64 totalBytes)
{
    if (totalBytes == 0)
        return QString();
    return QString::number((totalBytes >> 30) + 1) + QStringLiteral(" GB RAM");
}

QString SystemInfo::directXText(bool created, bool invalidArg, quint32 level)
{
    if (invalidArg)
        return QStringLiteral("Current operation system DirectX is not supported!");
    if (!created)
        return QStringLiteral("Unknown DirectX version");
    switch (level) {
    case 0x1000: return QStringLiteral("DirectX 1.0 Core");
    case 0x9100: return QStringLiteral("DirectX 9.1");
    case 0x9200: return QStringLiteral("DirectX 9.2");
    case 0x9300: return QStringLiteral("DirectX 9.3");
    case 0xA000: return QStringLiteral("DirectX 10.0");
    case 0xA100: return QStringLiteral("DirectX 10.1");
    case 0xB000: return QStringLiteral("DirectX 11.0");
    case 0xB100: return QStringLiteral("DirectX 11.1");
    case 0xC000: return QStringLiteral("DirectX 12.0");
    case 0xC100: return QStringLiteral("DirectX 12.1");
    default: return QStringLiteral("Unknown DirectX version");
    }
}

QStringList SystemInfo::nvidiaDriverVersions()
{
    QStringList versions;
    const auto devices = platform::displayDriverVersions();
    if (!devices) {
        qWarning() << "SetupDiGetClassDevs failed";
        return versions;
    }
    for (const auto& device : *devices) {
        if (!device.driverListOk) {
            qInfo() << "find none GPU";
            continue;
        }
        int j = 0;
        for (const auto& driver : device.drivers) {
            const QString manufacturer = fromStd(driver.manufacturer);
            const QString version = fromStd(driver.version);
            qInfo().noquote() << QStringLiteral("[%1]%2 驱动程序版本：%3").arg(j).arg(manufacturer, version);
            if (manufacturer == QLatin1String("NVIDIA"))
                versions << version;
            ++j;
        }
    }
    return versions;
}

bool SystemInfo::nvidiaDriverOutdated()
{
    return isNvidiaDriverOutdated(nvidiaDriverVersions());
}

bool SystemInfo::isNvidiaDriverOutdated(const QStringList& versions)
{
    if (versions.isEmpty())
        return false;
    for (const QString& v : versions) {
        if (v.size() <= 6)
            continue;
        QString tail = v.right(6);
        tail.remove(QLatin1Char('.'));
        if (tail.compare(QLatin1String("55176"), Qt::CaseSensitive) >= 0)
            return false;
    }
    return true;
}

bool SystemInfo::audioIsStereo()
{
    if (m_audioStereo)
        return true;
    QString name;
    int channels = 0;
    if (!m_audioProbe || !m_audioProbe(name, channels))
        return false;
    qInfo() << "audio supoort :" << channels << name;
    if (channels == 2) {
        m_audioStereo = true;
        return true;
    }
    return false;
}

void SystemInfo::setAudioProbe(AudioProbe probe)
{
    m_audioProbe = std::move(probe);
}

bool SystemInfo::vbCableInstalled()
{
    QStringList names;
    const auto devices = QAudioDeviceInfo::availableDevices(QAudio::AudioInput);
    for (const QAudioDeviceInfo& d : devices) {
        if (!d.isNull())
            names << d.deviceName();
    }
    return vbCableInNames(names);
}

bool SystemInfo::vbCableInNames(const QStringList& inputDeviceNames)
{
    QStringList collected;
    for (const QString& name : inputDeviceNames) {
        if (name.isEmpty() || name.at(0) == QChar(0xFFFD) || collected.contains(name))
            continue;
        collected << name;
    }
    if (collected.contains(QLatin1String(kVbCableName)))
        return true;
    qInfo() << "audio input devices:" << collected;
    return false;
}

bool SystemInfo::installVbCable(const QString& dir)
{
    qInfo() << "install audio dir:" << dir;
    const QString file = dir + QStringLiteral("/installaudio/VBCABLE_Setup_x64.exe");
    platform::ShellRequest request;
    request.file = file.toStdString();
    request.verb = "runas";
    request.workingDirectory = dir.toStdString();
    const platform::ShellResult r = platform::shellExecute(request);
    qInfo() << "install audio res: " << r.code << (r.started ? "started" : "failed");
    return r.started;
}

void SystemInfo::startNetworkCategoryQuery()
{
    const platform::ProgramCommand query = platform::networkCategoryQuery();
    QStringList args;
    for (const auto& a : query.arguments)
        args << fromStd(a);
    m_process->start(fromStd(query.program), args, QIODevice::ReadWrite);
}

void SystemInfo::applyNetworkCategoryOutput(const QByteArray& chunk)
{
    const QString text = QString::fromLocal8Bit(chunk);
    qInfo() << "powershellcmd res:" << text;
    if (text.contains(QLatin1String("Public")))
        m_networkCategory = QStringLiteral("Public");
    else if (text.contains(QLatin1String("Private")))
        m_networkCategory = QStringLiteral("Private");
    else
        m_networkCategory.clear();
}

QStringList SystemInfo::portUsers(const QList<int>& ports)
{
    QStringList names;
    std::string error;
    const auto rows = platform::tcpPortOwners(&error);
    if (!rows) {
        qWarning() << "\tGetTcpTable2 failed with" << fromStd(error);
        return names;
    }
    std::set<uint32_t> owners;
    for (const auto& row : *rows) {
        if (ports.contains(row.localPort))
            owners.insert(row.pid);
    }
    if (owners.empty())
        return names;
    for (const auto& p : platform::listProcesses()) {
        if (owners.count(p.pid))
            names << fromStd(p.name);
    }
    return names;
}

bool SystemInfo::processNameMatches(const QString& executableName, const QString& wanted)
{
    if (executableName == wanted)
        return true;
    const QLatin1String exe(".exe");
    return wanted.endsWith(exe) && executableName.size() == wanted.size() - 4 &&
           wanted.startsWith(executableName);
}

bool SystemInfo::isProcessRunning(const QString& name)
{
    for (const auto& p : platform::listProcesses()) {
        if (processNameMatches(fromStd(p.name), name))
            return true;
    }
    return false;
}

QString SystemInfo::runningProcessPath(const QString& name)
{
    for (const auto& p : platform::listProcesses()) {
        if (processNameMatches(fromStd(p.name), name))
            return fromStd(platform::processExecutablePath(p.pid));
    }
    return QString();
}

int SystemInfo::killProcessesByName(const QStringList& names)
{
    const auto processes = platform::listProcesses();
    const uint32_t self = platform::currentProcessId();
    int ended = 0;
    for (const auto& p : processes) {
        if (p.pid == self)
            continue;
        const QString exe = fromStd(p.name);
        for (const QString& wanted : names) {
            if (processNameMatches(exe, wanted)) {
                if (platform::terminateProcess(p.pid))
                    ++ended;
                else
                    qWarning() << "could not end process" << exe << p.pid;
                break;
            }
        }
    }
    return ended;
}

QString SystemInfo::runCommand(const QString& command)
{
    const platform::CommandResult r = platform::runCommand(command.toStdString());
    if (r.pipeFailed) {
        qWarning() << "CreatePipe failed!" << fromStd(r.error);
        return QStringLiteral(" ");
    }
    if (!r.started) {
        qWarning() << " CreateProcess failed!" << fromStd(r.error);
        return QString();
    }
    return QString::fromUtf8(r.output.data(), static_cast<int>(r.output.size()));
}
