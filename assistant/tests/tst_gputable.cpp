// The GPU capability table "./compare.json": scores, AV1 and the NVIDIA test.
#include "settingsstore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const char *kTable = R"({
    "graphics": {
        "high": ["RTX 4070", "RTX4080", "GeForce RTX 4090", "RTX 3090", "RX 7900"],
        "mid": ["GTX 1660", "RTX 2060", 6600],
        "low": ["GTX 970", "RX 480"]
    },
    "cpu": {
        "mid": ["i7-9700", "Ryzen 5 3600"],
        "low": ["i5-6600", 1300]
    },
    "version": 3
})";

} // namespace

class TestGpuTable : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_oldCwd;

    void writeTable(const QByteArray &text)
    {
        QFile file(m_dir.path() + "/compare.json");
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }

private slots:
    void initTestCase()
    {
        m_oldCwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir.path()));
    }
    void cleanupTestCase() { QDir::setCurrent(m_oldCwd); }
    void init() { QFile::remove(m_dir.path() + "/compare.json"); }

    void scores_data()
    {
        QTest::addColumn<QString>("cpu");
        QTest::addColumn<QString>("gpu");
        QTest::addColumn<int>("score");
        QTest::newRow("mid cpu, high gpu") << "Intel(R) Core(TM) i7-9700 CPU" << "NVIDIA GeForce RTX 4070" << 12;
        QTest::newRow("low cpu, mid gpu") << "Intel(R) Core(TM) i5-6600" << "NVIDIA GeForce GTX 1660 SUPER" << 5;
        QTest::newRow("low gpu scores nothing") << "AMD Ryzen 5 3600" << "Radeon RX 480" << 4;
        QTest::newRow("numbers are texts") << "AMD Ryzen 3 1300X" << "AMD Radeon RX 6600 XT" << 5;
        QTest::newRow("case-sensitive") << "intel i7-9700" << "nvidia geforce rtx 4070" << 4;
        QTest::newRow("nothing") << "Pentium" << "Intel UHD 630" << 0;
    }

    void scores()
    {
        QFETCH(QString, cpu);
        QFETCH(QString, gpu);
        QFETCH(int, score);
        writeTable(kTable);
        SettingsStore store(m_dir.path());
        QCOMPARE(store.hardwareScore(cpu, gpu), score);
    }

    void missingOrDamagedTableScoresZero()
    {
        SettingsStore store(m_dir.path());
        QCOMPARE(store.hardwareScore("i7-9700", "RTX 4070"), 0);
        QVERIFY(!store.isAv1Capable("RTX 4070"));
        writeTable(R"({"graphics": {"high": ["RTX 4070")");
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression("^compare json parseError: \\d+$"));
        QCOMPARE(store.hardwareScore("i7-9700", "RTX 4070"), 0);
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression("^compare json parseError: \\d+$"));
        QVERIFY(!store.isAv1Capable("RTX 4070"));
    }

    void oneSideMissingStillScoresTheOther()
    {
        SettingsStore store(m_dir.path());
        writeTable(R"({"graphics": {"high": ["RTX 4070"]}})");
        QCOMPARE(store.hardwareScore("i7-9700", "RTX 4070"), 8);
        writeTable(R"({"cpu": {"mid": ["i7-9700"]}})");
        QCOMPARE(store.hardwareScore("i7-9700", "RTX 4070"), 4);
    }

    void entriesThatAreNotTextsNeverMatchEverything()
    {
        SettingsStore store(m_dir.path());
        writeTable(R"({"graphics": {"high": [null, "", {}, true]}, "cpu": {"mid": [null]}})");
        QCOMPARE(store.hardwareScore("Any CPU", "Any GPU"), 0);
    }

    void av1_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("gpu");
        QTest::addColumn<bool>("capable");
        QTest::newRow("RTX 4070 on KZ") << "KZ1" << "NVIDIA GeForce RTX 4070" << true;
        QTest::newRow("RTX 4070 on KY") << "KY1" << "NVIDIA GeForce RTX 4070" << false;
        QTest::newRow("RTX 3090") << "KZ1" << "NVIDIA GeForce RTX 3090" << false;
        QTest::newRow("RTX4080 without blank") << "KZ1" << "NVIDIA RTX4080 Laptop" << true;
        QTest::newRow("entry not starting with RTX") << "KZ1" << "NVIDIA GeForce RTX 4090" << false;
        QTest::newRow("not in the table") << "KZ1" << "NVIDIA GeForce RTX 4060" << false;
        QTest::newRow("AMD high") << "KZ1" << "AMD Radeon RX 7900 XTX" << false;
    }

    void av1()
    {
        QFETCH(QString, id);
        QFETCH(QString, gpu);
        QFETCH(bool, capable);
        writeTable(kTable);
        SettingsStore store(m_dir.path());
        store.load(false, 3);
        store.save(id);
        QCOMPARE(store.isAv1Capable(gpu), capable);
    }

    void nvidiaByName()
    {
        SettingsStore store(m_dir.path());
        QVERIFY(store.isNvidia("NVIDIA GeForce RTX 3060"));
        QVERIFY(store.isNvidia("geforce by nVidia"));
        QVERIFY(!store.isNvidia("AMD Radeon RX 6600"));
        QVERIFY(!store.isNvidia(""));
    }
};

QTEST_GUILESS_MAIN(TestGpuTable)
#include "tst_gputable.moc"
