#include "adbmanger.h"

#include "platform/command_shell.h"
#include "systeminfo.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

namespace {
const QString kHeadsetDevice = QStringLiteral("USB#VID_05C6&PID_903A#");
const QString kDeviceListHeader = QStringLiteral("List of devices attached\r\n");

const QString kProbeCommand = QStringLiteral("adb --version");
const QString kDeviceQuery = QStringLiteral("adb devices && adb forward --list");
const QString kPortMapping = QStringLiteral("adb forward tcp:9943 tcp:9943 && adb forward tcp:9944 tcp:9944 && "
                                            "adb reverse tcp:50000 tcp:50000 && adb reverse tcp:50001 tcp:50001");
const QString kMappingList = QStringLiteral("adb forward --list && adb reverse --list");
const QString kRemoveMappings = QStringLiteral("adb forward --remove-all && adb reverse --remove-all");

// Windows' adb ends lines with CR LF, others with a bare LF. The answers are
// judged in the Windows form, so a bare LF becomes CR LF first.
QString withCrLf(const QString &text)
{
    QString result;
    result.reserve(text.size() + 8);
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('\n') && (i == 0 || text.at(i - 1) != QLatin1Char('\r')))
            result += QLatin1Char('\r');
        result += text.at(i);
    }
    return result;
}

QString folderAdbPath()
{
    return QDir::currentPath() + QStringLiteral("/ADB/")
        + QString::fromStdString(platform::executableFileName("adb"));
}
} // namespace

AdbManger *AdbManger::instance()
{
    static AdbManger *manager = nullptr;
    if (!manager) {
        manager = new AdbManger(Options());
        // Gone with the application, while its event loop objects still exist.
        qAddPostRoutine([] {
            delete manager;
            manager = nullptr;
        });
    }
    return manager;
}

AdbManger::AdbManger(const Options &options)
    : m_options(options)
{
    initialise();
    if (m_options.watchDevices)
        m_watching = m_watcher.start([this](const platform::DeviceEvent &event) { onDeviceEvent(event); });
}

AdbManger::~AdbManger()
{
    if (m_mode == RunningAdb) {
        // The adb server belongs to another program: only take our mappings
        // back, and give adb a moment for it.
        if (m_process->state() != QProcess::NotRunning)
            m_process->waitForFinished(1000);
        runAdb(kRemoveMappings);
        m_process->waitForFinished(2000);
    } else {
        killAdb();
    }

    if (m_watching)
        m_watcher.stop();
    else
        qInfo() << "install winproc fail";
}

void AdbManger::initialise()
{
    m_process = new QProcess(this);
    m_process->setProcessEnvironment(m_options.environment);

    const QString running = SystemInfo::runningProcessPath(m_options.adbProcessName);
    if (running.isEmpty()) {
        m_mode = PathAdb;
        m_state = ProbingPathAdb;
        runAdb(kProbeCommand);
    } else {
        m_mode = RunningAdb;
        m_adbPath = running;
        if (m_adbPath.contains(QLatin1Char(' ')))
            m_process->setWorkingDirectory(m_adbPath.left(m_adbPath.size() - QFileInfo(m_adbPath).fileName().size()));
        qInfo() << "use started adb";
    }

    connect(m_process, &QProcess::readyReadStandardOutput, this, &AdbManger::onAdbOutput);
    connect(this, &AdbManger::checkdevice, this, &AdbManger::pollDevices);
}

bool AdbManger::isHeadsetInterfacePath(const QString &path)
{
    QString text = path.mid(4);
    const int cut = text.lastIndexOf(QLatin1Char('#'));
    if (cut < 0)
        return false;
    text.truncate(cut);
    return text.toUpper().contains(kHeadsetDevice);
}

void AdbManger::onDeviceEvent(const platform::DeviceEvent &event)
{
    // Runs on the watcher thread; the poll it asks for runs queued on the
    // thread of this object.
    if (isHeadsetInterfacePath(QString::fromStdString(event.devicePath)))
        emit checkdevice();
}

QString AdbManger::commandLine(const QString &command) const
{
    if (m_mode == PathAdb || m_adbPath.contains(QLatin1Char(' ')))
        return command;
    QString line = command;
    return line.replace(QStringLiteral("adb"), m_adbPath);
}

void AdbManger::runAdb(const QString &command)
{
    if (m_mode == PathAdb)
        qInfo().noquote() << "adb cmd: " + command;
    else
        qInfo().noquote() << "adb Nerev: " + command;
    const platform::CommandInterpreter shell = platform::commandInterpreter(commandLine(command).toStdString());
    QStringList arguments;
    for (const std::string &argument : shell.arguments)
        arguments << QString::fromStdString(argument);
    // A start while the previous command still runs is refused by QProcess;
    // the poll copes with that through its busy count.
    if (m_process->state() != QProcess::NotRunning) {
        qInfo() << "adb still busy, not started:" << command;
        return;
    }
    m_process->start(QString::fromStdString(shell.program), arguments, QIODevice::ReadWrite);
}

void AdbManger::pollDevices()
{
    if (m_state == ProbingPathAdb) {
        if (m_fallbackStep == 1)
            return;
        if (m_fallbackStep == 0) {
            m_fallbackStep = 1;
            QTimer::singleShot(400, this, [this] {
                pollDevices();
                m_fallbackStep = 2;
            });
            return;
        }
        // The probe of the PATH adb has not answered: use the program's own.
        m_mode = FolderAdb;
        m_state = Idle;
        m_adbPath = folderAdbPath();
        if (m_adbPath.contains(QLatin1Char(' ')))
            m_process->setWorkingDirectory(QFileInfo(m_adbPath).absolutePath() + QLatin1Char('/'));
        qInfo() << "use NerevHelper adb";
    }

    if (m_state == Idle) {
        m_state = QueryingDevices;
        QTimer::singleShot(800, this, [this] { runAdb(kDeviceQuery); });
    } else if (m_state == MappingPorts) {
        m_state = Idle;
    } else if (m_state == QueryingDevices) {
        ++m_busyCount;
    }

    if (m_busyCount >= 3) {
        m_busyCount = 0;
        m_state = Idle;
    }
}

void AdbManger::onAdbOutput()
{
    const QByteArray bytes = m_process->readAllStandardOutput();
    // Latin-1 up to the first NUL byte, as the chunk came.
    const QString text = withCrLf(QString::fromLatin1(bytes.constData()));

    if (m_state == ProbingPathAdb) {
        qInfo() << "use local adb";
        m_mode = PathAdb;
        m_state = Idle;
    } else if (m_state == QueryingDevices) {
        if (text.contains(QLatin1String("offline")) || text.contains(QLatin1String("connecting"))) {
            killAdb();
            emit showAdbTipToast();
        } else if (!text.contains(kDeviceListHeader)) {
            if (text == QLatin1String("\r\n")) {
                m_state = MappingPorts;
                QTimer::singleShot(200, this, &AdbManger::mapPorts);
            }
        } else if (text == kDeviceListHeader + QLatin1String("\r\n")) {
            if (!m_lastSerial.isEmpty()) {
                m_lastSerial.clear();
                emit deviceConnect(false, QString());
            }
        } else {
            QString sn = text;
            sn.remove(QStringLiteral("\tdevice\r\n\r\n"));
            sn.remove(kDeviceListHeader);
            if (sn != m_lastSerial) {
                m_lastSerial = sn;
                emit deviceConnect(true, sn);
            }
        }
    }

    QTimer::singleShot(600, this, [this] { m_state = Idle; });
}

void AdbManger::mapPorts()
{
    qInfo() << "forward tcp";
    runAdb(kPortMapping);
    QTimer::singleShot(1000, this, [this] {
        m_state = MappingPorts;
        qInfo() << "forward list";
        runAdb(kMappingList);
    });
}

void AdbManger::killAdb()
{
    if (SystemInfo::isProcessRunning(m_options.adbProcessName))
        SystemInfo::killProcessesByName(QStringList { m_options.adbProcessName });
}
