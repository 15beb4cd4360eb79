// SteamVR's driver registration: the assistant edits "external_drivers" and
// nothing else in a file that belongs to SteamVR.
#include "settingsstore.h"

#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const char *kVrpath = R"({
    "config": ["C:\\Program Files (x86)\\Steam\\config"],
    "external_drivers": ["D:/drivers/one", "D:/drivers/two"],
    "jsonid": "vrpathreg",
    "log": ["C:\\Program Files (x86)\\Steam\\logs"],
    "runtime": ["C:\\Program Files (x86)\\Steam\\steamapps\\common\\SteamVR"],
    "version": 1
})";

} // namespace

class TestVrpath : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_home;
    SettingsStore m_store { QString() };
    QString file() const { return QString::fromStdString(platform::openvrPathRegistryFile(m_home.path().toStdString())); }

    void write(const QByteArray &text)
    {
        QDir().mkpath(QFileInfo(file()).absolutePath());
        QFile out(file());
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(text);
    }
    QByteArray contents() const
    {
        QFile in(file());
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }
    QJsonObject root() const { return QJsonDocument::fromJson(contents()).object(); }

private slots:
    void init() { QFile::remove(file()); }

    void setReplacesTheDriversAndKeepsEverythingElse()
    {
        write(kVrpath);
        const QJsonObject before = root();
        QString runtime = "unchanged";
        QTest::ignoreMessage(QtInfoMsg, "Successfully set external_drivers to:D:/OSTREL");
        QVERIFY(m_store.setExternalDrivers("D:/OSTREL", m_home.path(), runtime));
        QCOMPARE(runtime, QString("C:\\Program Files (x86)\\Steam\\steamapps\\common\\SteamVR"));
        QJsonObject after = root();
        QCOMPARE(after.value("external_drivers").toArray(), QJsonArray({ "D:/OSTREL" }));
        after.remove("external_drivers");
        QJsonObject expected = before;
        expected.remove("external_drivers");
        QCOMPARE(after, expected);
        QVERIFY(contents().startsWith("{\n    \"config\": [\n        \""));
        QVERIFY(m_store.hasExternalDrivers(m_home.path()));
    }

    // A user called 张伟 with SteamVR and the assistant in Chinese folders.
    void chineseHomeRuntimeAndDriverFolders()
    {
        const QString home = m_home.path() + QString::fromUtf8("/用户/张伟");
        const QString chineseFile = QString::fromStdString(platform::openvrPathRegistryFile(home.toStdString()));
        QVERIFY(QDir().mkpath(QFileInfo(chineseFile).absolutePath()));
        QFile out(chineseFile);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("{\"external_drivers\": [], \"runtime\": [\"D:/游戏/SteamVR\"]}");
        out.close();

        QString runtime;
        QVERIFY(m_store.setExternalDrivers(QString::fromUtf8("D:/串流助手"), home, runtime));
        QCOMPARE(runtime, QString::fromUtf8("D:/游戏/SteamVR"));
        QVERIFY(m_store.hasExternalDrivers(home));
        QFile in(chineseFile);
        QVERIFY(in.open(QIODevice::ReadOnly));
        const QJsonObject written = QJsonDocument::fromJson(in.readAll()).object();
        in.close(); // Windows replaces no file that is still open
        QCOMPARE(written.value("external_drivers").toArray(), QJsonArray({ QString::fromUtf8("D:/串流助手") }));
        m_store.clearExternalDrivers(QString(), home);
        QVERIFY(!m_store.hasExternalDrivers(home));
    }

    void emptyRuntimeLeavesTheRuntimePath()
    {
        write(R"({"runtime": [], "external_drivers": []})");
        QString runtime = "kept";
        QVERIFY(m_store.setExternalDrivers("/opt/ostrel", m_home.path(), runtime));
        QCOMPARE(runtime, QString("kept"));
        write(R"({"jsonid": "vrpathreg"})");
        QVERIFY(m_store.setExternalDrivers("/opt/ostrel", m_home.path(), runtime));
        QCOMPARE(runtime, QString("kept"));
        QCOMPARE(root().value("external_drivers").toArray(), QJsonArray({ "/opt/ostrel" }));
    }

    void missingFileIsNeverCreated()
    {
        QString runtime;
        QTest::ignoreMessage(QtInfoMsg, qPrintable("Config file does not exist:" + file()));
        QVERIFY(!m_store.setExternalDrivers("/opt/ostrel", m_home.path(), runtime));
        QTest::ignoreMessage(QtInfoMsg, qPrintable("Config file does not exist:" + file()));
        m_store.clearExternalDrivers("/opt/ostrel", m_home.path());
        QVERIFY(!QFile::exists(file()));
        QVERIFY(!m_store.hasExternalDrivers(m_home.path()));
    }

    void damagedFileIsLeftUntouched()
    {
        const QByteArray damaged = "{\"runtime\": [\"C:\\\\SteamVR\"], \"external_dri";
        write(damaged);
        QString runtime;
        QVERIFY(!m_store.setExternalDrivers("/opt/ostrel", m_home.path(), runtime));
        m_store.clearExternalDrivers("/opt/ostrel", m_home.path());
        QCOMPARE(contents(), damaged);
        QVERIFY(!m_store.hasExternalDrivers(m_home.path()));

        // Valid JSON that is not an object is not ours to replace either.
        const QByteArray array = R"(["/steamvr", {"external_drivers": []}])";
        write(array);
        QVERIFY(!m_store.setExternalDrivers("/opt/ostrel", m_home.path(), runtime));
        m_store.clearExternalDrivers("/opt/ostrel", m_home.path());
        QCOMPARE(contents(), array);
    }

    void clearEmptiesTheArrayAndKeepsEverythingElse()
    {
        write(R"({"external_drivers": ["/opt/ostrel"], "runtime": ["/steamvr"], "version": 1})");
        QTest::ignoreMessage(QtInfoMsg, "Successfully cleared external_drivers array (empty array)");
        m_store.clearExternalDrivers("/ignored", m_home.path());
        const QJsonObject after = root();
        QVERIFY(after.value("external_drivers").isArray());
        QVERIFY(after.value("external_drivers").toArray().isEmpty());
        QCOMPARE(after.value("runtime").toArray(), QJsonArray({ "/steamvr" }));
        QCOMPARE(after.value("version").toInt(), 1);
        QVERIFY(!m_store.hasExternalDrivers(m_home.path()));
    }

    void clearWithoutTheMemberDoesNotRewrite()
    {
        const QByteArray original = "{ \"runtime\" : [ \"/steamvr\" ] }";
        write(original);
        QTest::ignoreMessage(QtInfoMsg, "No external_drivers field found, nothing to clear");
        m_store.clearExternalDrivers("/ignored", m_home.path());
        QCOMPARE(contents(), original);
    }

    void hasDriversOnlyForANonEmptyArray()
    {
        write(R"({"external_drivers": []})");
        QVERIFY(!m_store.hasExternalDrivers(m_home.path()));
        write(R"({"external_drivers": "/opt/ostrel"})");
        QVERIFY(!m_store.hasExternalDrivers(m_home.path()));
        write(R"(["external_drivers"])");
        QVERIFY(!m_store.hasExternalDrivers(m_home.path()));
        write(R"({"external_drivers": ["/a"]})");
        QVERIFY(m_store.hasExternalDrivers(m_home.path()));
    }

    void writeLeavesNoTemporaryFileBehind()
    {
        write(kVrpath);
        QString runtime;
        QVERIFY(m_store.setExternalDrivers("/opt/ostrel", m_home.path(), runtime));
        m_store.clearExternalDrivers("/opt/ostrel", m_home.path());
        const QStringList entries = QFileInfo(file()).dir().entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(entries, QStringList({ "openvrpaths.vrpath" }));
    }
};

QTEST_GUILESS_MAIN(TestVrpath)
#include "tst_vrpath.moc"
