#include "adbmanger.h"

#include "adbanswers.h"

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

const QString kProbeCommand = QStringLiteral("adb --version");
const QString kDeviceQuery = QStringLiteral("adb devices && adb forward --list");
const QString kPortMapping = QStringLiteral("adb forward tcp:9943 tcp:9943 && adb forward tcp:9944 tcp:9944 && "
                                            "adb reverse tcp:50000 tcp:50000 && adb reverse tcp:50001 tcp:50001");
const QString kMappingList = QStringLiteral("adb forward --list && adb reverse --list");
const QString kRemoveMappings = QStringLiteral("adb forward --remove-all && adb reverse --remove-all");

// What adb said on its error channel, for a log line.
QString errorText(QProcess *process)
{
    QString text = QString::fromLocal8Bit(process->readAllStandardError()).simplified();
    if (text.size() > 300)
        text = text.left(300) + QStringLiteral("...");
    return text;
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
    connect(m_process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this, &AdbManger::onAdbFinished);
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
    m_runningCommand = command;
    m_output.clear();
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
        m_mappingScheduled = false;
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
    const QString text = AdbAnswers::chunkText(m_process->readAllStandardOutput());
    if (m_runningCommand == kDeviceQuery || m_runningCommand == kMappingList)
        m_output += text;

    if (m_state == ProbingPathAdb) {
        qInfo() << "use local adb";
        m_mode = PathAdb;
        m_state = Idle;
    } else if (m_state == QueryingDevices) {
        const AdbAnswers::ChunkVerdict verdict = AdbAnswers::judgeQueryChunk(text, m_lastSerial);
        switch (verdict.kind) {
        case AdbAnswers::ChunkVerdict::DeviceTrouble:
            killAdb();
            emit showAdbTipToast();
            break;
        case AdbAnswers::ChunkVerdict::MapPorts:
            scheduleMapping();
            break;
        case AdbAnswers::ChunkVerdict::NoDevice:
        case AdbAnswers::ChunkVerdict::Device:
            applyDeviceVerdict(verdict);
            break;
        case AdbAnswers::ChunkVerdict::Ignore:
            break;
        }
    }

    QTimer::singleShot(600, this, [this] { m_state = Idle; });
}

void AdbManger::applyDeviceVerdict(const AdbAnswers::ChunkVerdict &verdict)
{
    if (verdict.notReady.isEmpty())
        m_notReadyLogged.clear();
    for (const QString &line : verdict.notReady) {
        if (!m_notReadyLogged.contains(line)) {
            qInfo().noquote() << "adb device not usable: " + QString(line).replace(QLatin1Char('\t'), QLatin1Char(' '));
            m_notReadyLogged << line;
        }
    }
    if (verdict.kind == AdbAnswers::ChunkVerdict::NoDevice) {
        if (!m_lastSerial.isEmpty()) {
            m_lastSerial.clear();
            emit deviceConnect(false, QString());
        }
    } else if (verdict.serial != m_lastSerial) {
        m_lastSerial = verdict.serial;
        emit deviceConnect(true, verdict.serial);
    }
}

void AdbManger::onAdbFinished(int exitCode, QProcess::ExitStatus exitStatus)
{
    const QString command = m_runningCommand;
    const QString output = m_output;
    m_runningCommand.clear();
    m_output.clear();
    const bool failed = exitStatus != QProcess::NormalExit || exitCode != 0;
    if (command != kProbeCommand) {
        // Real adb prints nothing for an empty mapping list: the end of the
        // command frees the state as a chunk would.
        QTimer::singleShot(600, this, [this] { m_state = Idle; });
    }

    if (command == kDeviceQuery) {
        judgeQuery(output);
    } else if (command == kPortMapping) {
        if (failed) {
            qWarning().noquote() << QStringLiteral("adb port mapping failed (exit %1): ").arg(exitCode) + errorText(m_process);
            m_remapPending = true;
        }
    } else if (command == kMappingList) {
        const AdbAnswers::Mappings mappings = AdbAnswers::mappingsIn(output);
        if (!mappings.complete()) {
            qWarning().noquote() << "adb mappings incomplete, mapping again at the next poll";
            m_remapPending = true;
        }
    }
}

// The device query's whole answer, once adb has ended: the device list and
// the forward list may have come in one piece or in several, and an adb
// with no mappings prints nothing for the forward list at all.
void AdbManger::judgeQuery(const QString &output)
{
    if (output.contains(QLatin1String("offline")) || output.contains(QLatin1String("connecting")))
        return;   // adb has been ended already
    const AdbAnswers::ChunkVerdict verdict = AdbAnswers::judgeQueryChunk(output, m_lastSerial);
    if (verdict.kind != AdbAnswers::ChunkVerdict::NoDevice && verdict.kind != AdbAnswers::ChunkVerdict::Device)
        return;
    applyDeviceVerdict(verdict);
    if (verdict.kind == AdbAnswers::ChunkVerdict::Device
        && (m_remapPending || !AdbAnswers::mappingsIn(output).forwardsComplete()))
        scheduleMapping();
}

void AdbManger::scheduleMapping()
{
    // At most one mapping per poll, whichever of the chunk rule and the
    // answer as a whole asks first.
    if (m_mappingScheduled)
        return;
    m_mappingScheduled = true;
    m_remapPending = false;
    m_state = MappingPorts;
    QTimer::singleShot(200, this, &AdbManger::mapPorts);
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
