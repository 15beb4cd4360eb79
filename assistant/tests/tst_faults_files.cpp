// Faults of the files the assistant writes, with the real SettingsStore and
// real files: set.json, setting.inf, the streamer's session.json and SteamVR's
// openvrpaths.vrpath, each when its folder is read-only, when the file is
// read-only and when a directory stands where the file should be. In every
// case what was on disk stays as it was, the operation logs one clear line
// naming the file, the store goes on working, and once the fault is gone the
// next write succeeds.
//
// As root the permission bits would not stop a write, so the program starts
// itself again without the capabilities that override them (setpriv).
#include "logcapture.h"
#include "settingsstore.h"

#include "platform/paths.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>
#include <vector>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace {

const char kDroppedVariable[] = "OSTREL_FAULTS_WITHOUT_DAC_OVERRIDE";

const QByteArray kSetJson = R"({
    "KY": {"bitRate": "20", "codec": "H264", "definitionIndex": 0, "fps": "72", "scale": "90"},
    "lastSn": "KY0042",
    "wiredOrWireless": 2
}
)";
const QByteArray kRecent = "KY0042;KZ0007";
const QByteArray kSession = R"({
    "openvr_config": {"refresh_rate": 72},
    "clientConnections": {"KY0042": {"trusted": true}},
    "sessionSettings": {"video": {"preferredFps": 72}, "audio": {"microphone": {"enabled": false}},
                        "headset": {"serialNumber": "OLD"}}
}
)";
const QByteArray kVrpath = R"({
    "external_drivers": ["D:/Other/driver"],
    "jsonid": "vrpathreg",
    "runtime": ["C:\\Program Files (x86)\\Steam\\steamapps\\common\\SteamVR"],
    "version": 1
}
)";

enum class Fault { ReadOnlyFolder, ReadOnlyFile, DirectoryInPlace };

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Whether permission bits stop this process from writing (they do not for
// root with its usual capabilities).
bool permissionsApply()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("probe"));
    writeAll(path, "x");
    QFile::setPermissions(path, QFileDevice::ReadOwner);
    QFile probe(path);
    return !probe.open(QIODevice::WriteOnly | QIODevice::Append);
}

} // namespace

class TestFaultsFiles : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void settingsFile_data();
    void settingsFile();
    void recentHeadsetsFile_data();
    void recentHeadsetsFile();
    void sessionFile_data();
    void sessionFile();
    void driverRegistration_data();
    void driverRegistration();

private:
    void addFaultRows();
    // Puts `contents` at `path` and then the fault; returns what a check
    // after the operation must find there.
    void arrange(const QString &path, const QByteArray &contents, Fault fault);
    void removeFault(const QString &path, Fault fault);
    // The fault's disk state is unchanged and exactly one warning names the file.
    void checkKept(const QString &path, const QByteArray &contents, Fault fault, const LogCapture &log,
                   const QString &fileName);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldCurrent;
};

void TestFaultsFiles::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_oldCurrent = QDir::currentPath();
}

void TestFaultsFiles::cleanup()
{
    QDir::setCurrent(m_oldCurrent);
    // Give every folder its write bit back, or the temporary folder stays.
    QDirIterator it(m_dir->path(), QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    while (it.hasNext())
        QFile::setPermissions(it.next(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_dir.reset();
}

void TestFaultsFiles::addFaultRows()
{
    QTest::addColumn<int>("fault");
    QTest::newRow("read-only folder") << int(Fault::ReadOnlyFolder);
    QTest::newRow("read-only file") << int(Fault::ReadOnlyFile);
    QTest::newRow("directory in place of the file") << int(Fault::DirectoryInPlace);
}

void TestFaultsFiles::arrange(const QString &path, const QByteArray &contents, Fault fault)
{
    if (fault == Fault::DirectoryInPlace) {
        QVERIFY(QDir().mkpath(path));
        QVERIFY(writeAll(path + QStringLiteral("/keep"), contents));
        return;
    }
    QVERIFY(writeAll(path, contents));
    if (fault == Fault::ReadOnlyFile)
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    else
        QVERIFY(QFile::setPermissions(QFileInfo(path).absolutePath(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
}

void TestFaultsFiles::removeFault(const QString &path, Fault fault)
{
    const QFileDevice::Permissions writable = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    switch (fault) {
    case Fault::ReadOnlyFolder:
        QVERIFY(QFile::setPermissions(QFileInfo(path).absolutePath(), writable | QFileDevice::ExeOwner));
        break;
    case Fault::ReadOnlyFile:
        QVERIFY(QFile::setPermissions(path, writable));
        break;
    case Fault::DirectoryInPlace:
        QVERIFY(QDir(path).removeRecursively());
        break;
    }
}

void TestFaultsFiles::checkKept(const QString &path, const QByteArray &contents, Fault fault, const LogCapture &log,
                                const QString &fileName)
{
    const QString target = fault == Fault::DirectoryInPlace ? path + QStringLiteral("/keep") : path;
    QCOMPARE(readAll(target), contents);
    QVERIFY2(QFileInfo(path).isDir() == (fault == Fault::DirectoryInPlace), qPrintable(path));
    // No temporary file of an atomic write is left beside it.
    const QStringList beside = QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files | QDir::Hidden);
    for (const QString &name : beside)
        QVERIFY2(!name.contains(QStringLiteral(".tmp")) && name != QFileInfo(path).fileName() + QStringLiteral(".new"),
                 qPrintable(name));
    QStringList naming;
    for (const QString &line : log.lines()) {
        if (line.contains(fileName))
            naming << line;
    }
    QVERIFY2(naming.size() == 1, qPrintable(naming.join(QStringLiteral(" | "))));
    qInfo().noquote() << QStringLiteral("fault table: %1 | %2 | %3 | on disk: %4")
                             .arg(fileName, QString::fromLatin1(QTest::currentDataTag()), naming.first(),
                                  fault == Fault::DirectoryInPlace ? QStringLiteral("the directory with its file")
                                                                   : QStringLiteral("the old %1 bytes").arg(contents.size()));
}

void TestFaultsFiles::settingsFile_data()
{
    addFaultRows();
}

void TestFaultsFiles::settingsFile()
{
    QFETCH(int, fault);
    // Skipped here, in the test function itself: a skip inside a helper would
    // only end the helper.
    if (Fault(fault) != Fault::DirectoryInPlace && !permissionsApply())
        QSKIP("read-only bits do not bind this process (root without setpriv, or Wine run by root)");
    const QString folder = m_dir->filePath(QStringLiteral("user"));
    const QString path = folder + QStringLiteral("/set.json");
    arrange(path, kSetJson, Fault(fault));

    SettingsStore store(folder);
    const QJsonObject loaded = store.load(true, 2);
    // A file that can be read is read; one that cannot gives the defaults.
    QCOMPARE(loaded.value(QStringLiteral("fps")).toString(),
             Fault(fault) == Fault::DirectoryInPlace ? QStringLiteral("90") : QStringLiteral("72"));
    {
        LogCapture log;
        store.storeVideoQuality(110, 100, true, 2);
        store.save(QStringLiteral("KY0043"));
        checkKept(path, kSetJson, Fault(fault), log, QStringLiteral("set.json"));
    }
    // Memory keeps the change, and it reaches the disk once it can.
    QCOMPARE(store.currentId(), QStringLiteral("KY0043"));
    removeFault(path, Fault(fault));
    store.save(QString());
    SettingsStore again(folder);
    QCOMPARE(again.load(true, 2).value(QStringLiteral("scale")).toString(), QStringLiteral("110"));
    QCOMPARE(again.currentId(), QStringLiteral("KY0043"));
}

void TestFaultsFiles::recentHeadsetsFile_data()
{
    addFaultRows();
}

void TestFaultsFiles::recentHeadsetsFile()
{
    QFETCH(int, fault);
    // Skipped here, in the test function itself: a skip inside a helper would
    // only end the helper.
    if (Fault(fault) != Fault::DirectoryInPlace && !permissionsApply())
        QSKIP("read-only bits do not bind this process (root without setpriv, or Wine run by root)");
    const QString folder = m_dir->filePath(QStringLiteral("user"));
    const QString path = folder + QStringLiteral("/setting.inf");
    arrange(path, kRecent, Fault(fault));

    SettingsStore store(folder);
    {
        LogCapture log;
        store.storeRecentHeadsets({ QStringLiteral("KZ0099"), QStringLiteral("KY0042") });
        checkKept(path, kRecent, Fault(fault), log, QStringLiteral("setting.inf"));
    }
    QCOMPARE(store.recentHeadsets(), Fault(fault) == Fault::DirectoryInPlace
                                         ? QStringList()
                                         : QStringList({ QStringLiteral("KY0042"), QStringLiteral("KZ0007") }));
    removeFault(path, Fault(fault));
    store.storeRecentHeadsets({ QStringLiteral("KZ0099") });
    QCOMPARE(store.recentHeadsets(), QStringList { QStringLiteral("KZ0099") });
}

void TestFaultsFiles::sessionFile_data()
{
    addFaultRows();
}

void TestFaultsFiles::sessionFile()
{
    QFETCH(int, fault);
    // Skipped here, in the test function itself: a skip inside a helper would
    // only end the helper.
    if (Fault(fault) != Fault::DirectoryInPlace && !permissionsApply())
        QSKIP("read-only bits do not bind this process (root without setpriv, or Wine run by root)");
    const QString work = m_dir->filePath(QStringLiteral("program"));
    const QString path = work + QStringLiteral("/session.json");
    QVERIFY(QDir().mkpath(work));
    QVERIFY(QDir::setCurrent(work));
    arrange(path, kSession, Fault(fault));

    SettingsStore store(m_dir->filePath(QStringLiteral("user")));
    store.load(false, 3);
    {
        LogCapture log;
        store.applyEffects(2, 1, 1, false, true, false, false, false);
        checkKept(path, kSession, Fault(fault), log, QStringLiteral("session json"));
    }
    {
        LogCapture log;
        store.tidySessionFile();
        checkKept(path, kSession, Fault(fault), log, QStringLiteral("session json"));
    }
    // The quality itself went into set.json all the same.
    QCOMPARE(SettingsStore(m_dir->filePath(QStringLiteral("user"))).load(true, 3).value(QStringLiteral("scale")).toString(),
             QStringLiteral("110"));
    removeFault(path, Fault(fault));
    if (Fault(fault) == Fault::DirectoryInPlace)
        QVERIFY(writeAll(path, kSession));
    store.applyEffects(2, 1, 1, false, true, false, false, false);
    const QJsonObject edited = QJsonDocument::fromJson(readAll(path)).object();
    QCOMPARE(edited.value(QStringLiteral("openvr_config")).toObject().value(QStringLiteral("refresh_rate")).toInt(), 90);
}

void TestFaultsFiles::driverRegistration_data()
{
    addFaultRows();
}

void TestFaultsFiles::driverRegistration()
{
    QFETCH(int, fault);
    // Skipped here, in the test function itself: a skip inside a helper would
    // only end the helper.
    if (Fault(fault) != Fault::DirectoryInPlace && !permissionsApply())
        QSKIP("read-only bits do not bind this process (root without setpriv, or Wine run by root)");
    const QString home = m_dir->filePath(QStringLiteral("home"));
    const QString path = QString::fromStdString(platform::openvrPathRegistryFile(home.toStdString()));
    arrange(path, kVrpath, Fault(fault));

    SettingsStore store(m_dir->filePath(QStringLiteral("user")));
    QString runtime;
    {
        LogCapture log;
        QVERIFY(!store.setExternalDrivers(QStringLiteral("D:/OSTREL"), home, runtime));
        checkKept(path, kVrpath, Fault(fault), log, QStringLiteral("openvrpaths.vrpath"));
    }
    {
        LogCapture log;
        store.clearExternalDrivers(QStringLiteral("D:/OSTREL"), home);
        checkKept(path, kVrpath, Fault(fault), log, QStringLiteral("openvrpaths.vrpath"));
    }
    QCOMPARE(store.hasExternalDrivers(home), Fault(fault) != Fault::DirectoryInPlace);
    removeFault(path, Fault(fault));
    if (Fault(fault) == Fault::DirectoryInPlace)
        QVERIFY(writeAll(path, kVrpath));
    QVERIFY(store.setExternalDrivers(QStringLiteral("D:/OSTREL"), home, runtime));
}

// As root, start again without the capabilities that let root write
// through permission bits, so the read-only cases are read-only.
int main(int argc, char *argv[])
{
#ifndef Q_OS_WIN
    if (geteuid() == 0 && !qEnvironmentVariableIsSet(kDroppedVariable) && QFile::exists(QStringLiteral("/usr/bin/setpriv"))) {
        qputenv(kDroppedVariable, "1");
        std::vector<char *> arguments { const_cast<char *>("setpriv"),
                                        const_cast<char *>("--bounding-set=-dac_override,-dac_read_search"),
                                        const_cast<char *>("--inh-caps=-all"), const_cast<char *>("--") };
        for (int i = 0; i < argc; ++i)
            arguments.push_back(argv[i]);
        arguments.push_back(nullptr);
        execv("/usr/bin/setpriv", arguments.data());
        // Not started again: the read-only rows skip.
    }
#endif
    QCoreApplication app(argc, argv);
    TestFaultsFiles test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_faults_files.moc"
