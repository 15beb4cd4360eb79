// The streamer's session file and the quality values applyEffects derives:
// realistic files, missing intermediate objects, damaged files, the two-run
// tidy at exit, and the per-model re-apply of setDeviceSn.
#include "settingsstore.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// What a streamer writes: far more members than the assistant touches.
const char *kRealisticSession = R"({
    "serverVersion": "20.6.1",
    "openvr_config": {
        "eye_resolution_width": 1832,
        "eye_resolution_height": 1920,
        "refresh_rate": 72,
        "use_10bit_encoder": false
    },
    "clientConnections": {
        "KZ0012345": {"displayName": "Living room", "manualIps": ["192.168.1.20"], "trusted": true},
        "KY0099999": {"displayName": "Office", "manualIps": [], "trusted": false}
    },
    "sessionSettings": {
        "video": {
            "preferredFps": 72,
            "encoderConfig": {"rateControlMode": "cbr", "bitrateMbps": 50},
            "foveatedRendering": {"enabled": true, "strength": 2.5}
        },
        "audio": {
            "gameAudio": {"enabled": true},
            "microphone": {"enabled": false, "content": {"inputDeviceId": {"variant": "Default"}, "sampleRate": 48000}}
        },
        "headset": {"serialNumber": "OLD", "trackingRefOnly": false},
        "connection": {"streamPort": 9944, "webServerPort": 8082}
    }
})";

QJsonObject readObject(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

QJsonValue at(const QJsonObject &root, const QString &path)
{
    QJsonValue value = root;
    for (const QString &part : path.split('.'))
        value = value.toObject().value(part);
    return value;
}

void writeText(const QString &path, const QByteArray &text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

} // namespace

class TestSessionFile : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_oldCwd;
    QString session() const { return m_dir.path() + "/session.json"; }
    QString userFolder() const { return m_dir.path() + "/user"; }
    QJsonObject section(SettingsStore &store) { return store.sectionForId(store.currentId()); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_oldCwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir.path()));
    }
    void cleanupTestCase() { QDir::setCurrent(m_oldCwd); }
    void init()
    {
        QFile::remove(session());
        QDir(userFolder()).removeRecursively();
    }

    void codecTexts()
    {
        SettingsStore store(userFolder());
        QCOMPARE(store.codecIndex("H264", true), 0);
        QCOMPARE(store.codecIndex("HEVC", false), 1);
        QCOMPARE(store.codecIndex("HEVC", true), 2);
        QCOMPARE(store.codecIndex("AV01", false), 3);
        QCOMPARE(store.codecIndex("hevc", true), 1);
        QCOMPARE(store.codecIndex("AV1", false), 1);
        QCOMPARE(store.codecIndex("", false), 1);
    }

    void presetScaleTexts_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<int>("definition");
        QTest::addColumn<int>("encode");
        QTest::addColumn<QString>("scale");
        QTest::newRow("KZ H264 low") << "KZ1" << 0 << 0 << "80";
        QTest::newRow("KZ HEVC low") << "KZ1" << 0 << 1 << "90";
        QTest::newRow("KZ H264 mid") << "KZ1" << 1 << 0 << "90";
        QTest::newRow("KZ H264 high") << "KZ1" << 2 << 0 << "100";
        QTest::newRow("KZ HEVC high") << "KZ1" << 2 << 1 << "110";
        QTest::newRow("KY H264 low, no step") << "KY1" << 0 << 0 << "90";
        QTest::newRow("KX AV1 mid") << "KX1" << 1 << 3 << "100";
        QTest::newRow("unknown preset") << "KZ1" << 9 << 1 << "100";
    }

    void presetScaleTexts()
    {
        QFETCH(QString, id);
        QFETCH(int, definition);
        QFETCH(int, encode);
        QFETCH(QString, scale);
        SettingsStore store(userFolder());
        store.load(false, 3);
        store.save(id);
        store.applyEffects(definition, 1, encode, false, false, false, false, false);
        QCOMPARE(section(store).value("scale").toString(), scale);
        QCOMPARE(section(store).value("customize").toBool(), false);
        QCOMPARE(section(store).value("definitionIndex").toInt(), definition);
    }

    void bitRateKeyFollowsTheMode_data()
    {
        QTest::addColumn<int>("definition");
        QTest::addColumn<bool>("wired");
        QTest::addColumn<QString>("wireless");
        QTest::addColumn<QString>("wiredRate");
        QTest::newRow("low wireless") << 0 << false << "20" << "50";
        QTest::newRow("low wired") << 0 << true << "50" << "20";
        QTest::newRow("high wired") << 2 << true << "50" << "100";
        QTest::newRow("mid wireless") << 1 << false << "50" << "50";
        QTest::newRow("unknown keeps both") << 5 << true << "50" << "50";
    }

    void bitRateKeyFollowsTheMode()
    {
        QFETCH(int, definition);
        QFETCH(bool, wired);
        QFETCH(QString, wireless);
        QFETCH(QString, wiredRate);
        SettingsStore store(userFolder());
        store.load(false, 3);
        store.applyEffects(definition, 1, 1, false, wired, false, false, false);
        QCOMPARE(section(store).value("bitRate").toString(), wireless);
        QCOMPARE(section(store).value("bitRate_wired").toString(), wiredRate);
        QCOMPARE(store.wiredOrWireless(), wired ? 1 : 2);
        // The section and the mode are on disk.
        const QJsonObject saved = readObject(userFolder() + "/set.json");
        QCOMPARE(saved.value("wiredOrWireless").toInt(), wired ? 1 : 2);
        QCOMPARE(at(saved, "KZ.bitRate_wired").toString(), wiredRate);
    }

    void customQualityKeepsItsScaleAndBitRates()
    {
        SettingsStore store(userFolder());
        store.load(false, 3);
        store.storeVideoQuality(85, 333, true, 3);
        store.storeVideoBitRate(222, false, 3);
        store.applyEffects(3, 0, 1, false, true, false, false, false);
        QCOMPARE(section(store).value("scale").toString(), QString("85"));
        QCOMPARE(section(store).value("bitRate_wired").toString(), QString("333"));
        QCOMPARE(section(store).value("bitRate").toString(), QString("222"));
        QCOMPARE(section(store).value("customize").toBool(), true);
        QCOMPARE(section(store).value("fps").toString(), QString("72"));
    }

    void customScaleThatIsANumberCountsAsZero()
    {
        SettingsStore store(userFolder());
        store.load(false, 3);
        store.sectionForId("KZ").insert("scale", 85);
        store.applyEffects(3, 1, 1, false, false, false, false, false);
        QCOMPARE(section(store).value("scale").toString(), QString("0"));
    }

    void codecAndTenBitFlags_data()
    {
        QTest::addColumn<int>("encode");
        QTest::addColumn<bool>("tenBit");
        QTest::addColumn<QString>("codec");
        QTest::addColumn<bool>("stored");
        QTest::newRow("H264 ignores ten bit") << 0 << true << "H264" << false;
        QTest::newRow("HEVC ignores ten bit") << 1 << true << "HEVC" << false;
        QTest::newRow("HEVC 10 bit") << 2 << false << "HEVC" << true;
        QTest::newRow("AV1") << 3 << false << "AV01" << true;
        QTest::newRow("other index follows argument") << 7 << true << "HEVC" << true;
    }

    void codecAndTenBitFlags()
    {
        QFETCH(int, encode);
        QFETCH(bool, tenBit);
        QFETCH(QString, codec);
        QFETCH(bool, stored);
        SettingsStore store(userFolder());
        store.load(false, 3);
        store.applyEffects(1, 1, encode, true, false, tenBit, true, true);
        QCOMPARE(section(store).value("codec").toString(), codec);
        QCOMPARE(section(store).value("10bitenc").toBool(), stored);
        QCOMPARE(section(store).value("audio").toBool(), true);
        QCOMPARE(section(store).value("fullrange").toBool(), true);
        QCOMPARE(section(store).value("hdr").toBool(), true);
    }

    void realisticSessionKeepsEveryOtherMember()
    {
        writeText(session(), kRealisticSession);
        const QJsonObject before = readObject(session());
        SettingsStore store(userFolder());
        store.load(false, 3);
        store.setVbCableCheck([] { return true; });
        store.applyEffects(1, 1, 1, true, false, false, false, false);

        const QJsonObject after = readObject(session());
        QCOMPARE(at(after, "sessionSettings.video.preferredFps").toInt(), 90);
        QVERIFY(at(after, "sessionSettings.video.preferredFps").isDouble());
        QCOMPARE(at(after, "openvr_config.refresh_rate").toInt(), 90);
        QCOMPARE(at(after, "sessionSettings.audio.microphone.enabled").toBool(), true);
        QCOMPARE(at(after, "sessionSettings.audio.microphone.content.inputDeviceId.name").toString(),
                 QString("CABLE Input (VB-Audio Virtual Cable)"));
        QCOMPARE(at(after, "sessionSettings.audio.microphone.content.outputDeviceId.name").toString(),
                 QString("CABLE Output (VB-Audio Virtual Cable)"));
        // Untouched members, including siblings inside the edited objects.
        QCOMPARE(at(after, "sessionSettings.audio.microphone.content.inputDeviceId.variant").toString(), QString("Default"));
        QCOMPARE(at(after, "sessionSettings.audio.microphone.content.sampleRate"), at(before, "sessionSettings.audio.microphone.content.sampleRate"));
        QCOMPARE(at(after, "sessionSettings.video.encoderConfig"), at(before, "sessionSettings.video.encoderConfig"));
        QCOMPARE(at(after, "sessionSettings.video.foveatedRendering"), at(before, "sessionSettings.video.foveatedRendering"));
        QCOMPARE(at(after, "sessionSettings.audio.gameAudio"), at(before, "sessionSettings.audio.gameAudio"));
        QCOMPARE(at(after, "sessionSettings.connection"), at(before, "sessionSettings.connection"));
        QCOMPARE(at(after, "sessionSettings.headset"), at(before, "sessionSettings.headset"));
        QCOMPARE(after.value("clientConnections"), before.value("clientConnections"));
        QCOMPARE(after.value("serverVersion"), before.value("serverVersion"));
        QCOMPARE(at(after, "openvr_config.eye_resolution_width"), at(before, "openvr_config.eye_resolution_width"));

        QFile file(session());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY(text.endsWith("}\n"));
        QVERIFY(text.startsWith("{\n    \"clientConnections\": {\n        \""));
    }

    void audioWithoutTheCableSetsOnlyEnabled()
    {
        writeText(session(), kRealisticSession);
        SettingsStore store(userFolder());
        store.load(false, 3);
        store.applyEffects(1, 0, 1, true, true, false, false, false);
        const QJsonObject after = readObject(session());
        QCOMPARE(at(after, "sessionSettings.audio.microphone.enabled").toBool(), true);
        QVERIFY(at(after, "sessionSettings.audio.microphone.content.inputDeviceId.name").isUndefined());
        QVERIFY(at(after, "sessionSettings.audio.microphone.content.outputDeviceId").isUndefined());
        QCOMPARE(at(after, "sessionSettings.video.preferredFps").toInt(), 72);
    }

    void cableObjectsAreCreatedWhenMissing()
    {
        writeText(session(), R"({"sessionSettings": {"audio": {"microphone": {"enabled": false}}}})");
        SettingsStore store(userFolder());
        store.load(false, 3);
        store.setVbCableCheck([] { return true; });
        store.applyEffects(1, 1, 1, true, false, false, false, false);
        const QJsonObject after = readObject(session());
        QCOMPARE(at(after, "sessionSettings.audio.microphone.content.outputDeviceId.name").toString(),
                 QString("CABLE Output (VB-Audio Virtual Cable)"));
        QVERIFY2(!after.value("sessionSettings").toObject().contains("video"), "video is never created");
    }

    void missingIntermediateObjectsSkipTheirEdits()
    {
        SettingsStore store(userFolder());
        store.load(false, 3);
        store.setVbCableCheck([] { return true; });

        writeText(session(), R"({"sessionSettings": {"video": {"preferredFps": 72}}, "other": 1})");
        store.applyEffects(1, 1, 1, true, false, false, false, false);
        QJsonObject after = readObject(session());
        QCOMPARE(at(after, "sessionSettings.video.preferredFps").toInt(), 90);
        QVERIFY(!after.contains("openvr_config"));
        QVERIFY(!after.value("sessionSettings").toObject().contains("audio"));

        writeText(session(), R"({"sessionSettings": {"audio": {"gameAudio": {}}}, "openvr_config": {"refresh_rate": 72}})");
        store.applyEffects(1, 1, 1, true, false, false, false, false);
        after = readObject(session());
        QCOMPARE(at(after, "openvr_config.refresh_rate").toInt(), 72);
        QVERIFY(!at(after, "sessionSettings.audio").toObject().contains("microphone"));

        writeText(session(), R"({"somethingElse": true})");
        store.applyEffects(1, 1, 1, true, false, false, false, false);
        QCOMPARE(readObject(session()), QJsonObject({ { "somethingElse", true } }));
    }

    // Found by fuzzing: a member that should be an object but is not was
    // replaced by an object holding only the assistant's value.
    void membersThatAreNotObjectsAreLeftAlone()
    {
        SettingsStore store(userFolder());
        store.load(false, 3);
        store.setVbCableCheck([] { return true; });
        const QByteArray odd = R"({"sessionSettings": {"video": 5, "audio": {"microphone": "off"},
                                   "headset": "KZ1"}, "openvr_config": [72]})";
        writeText(session(), odd);
        store.applyEffects(1, 1, 1, true, false, false, false, false);
        store.tidySessionFile();
        const QJsonObject after = readObject(session());
        QCOMPARE(after, QJsonDocument::fromJson(odd).object());

        // Inside a microphone object, a "content" that is no object stays too.
        writeText(session(), R"({"sessionSettings": {"audio": {"microphone": {"enabled": false, "content": 7}}}})");
        store.applyEffects(1, 1, 1, true, false, false, false, false);
        QCOMPARE(at(readObject(session()), "sessionSettings.audio.microphone.enabled").toBool(), true);
        QCOMPARE(at(readObject(session()), "sessionSettings.audio.microphone.content").toInt(), 7);
        writeText(session(), R"({"sessionSettings": {"audio": {"microphone": {"content": {"inputDeviceId": "x"}}}}})");
        store.applyEffects(1, 1, 1, true, false, false, false, false);
        QCOMPARE(at(readObject(session()), "sessionSettings.audio.microphone.content.inputDeviceId").toString(), QString("x"));
        QCOMPARE(at(readObject(session()), "sessionSettings.audio.microphone.content.outputDeviceId.name").toString(),
                 QString("CABLE Output (VB-Audio Virtual Cable)"));
    }

    void missingSessionFileIsNotCreated()
    {
        SettingsStore store(userFolder());
        store.load(false, 3);
        store.applyEffects(0, 1, 1, false, false, false, false, false);
        QVERIFY(!QFile::exists(session()));
        QCOMPARE(readObject(userFolder() + "/set.json").value("KZ").toObject().value("bitRate").toString(), QString("20"));
        store.tidySessionFile();
        QVERIFY(!QFile::exists(session()));
    }

    void damagedSessionFileIsDeleted()
    {
        SettingsStore store(userFolder());
        store.load(false, 3);
        writeText(session(), R"({"sessionSettings": {"video": )");
        QTest::ignoreMessage(QtInfoMsg, "set session json parseError");
        store.applyEffects(1, 1, 1, false, false, false, false, false);
        QVERIFY(!QFile::exists(session()));

        writeText(session(), "");
        QTest::ignoreMessage(QtInfoMsg, "before session json parseError");
        store.tidySessionFile();
        QVERIFY(!QFile::exists(session()));
    }

    void sessionWhoseRootIsNotAnObjectIsLeftAlone()
    {
        SettingsStore store(userFolder());
        store.load(false, 3);
        writeText(session(), "[1, 2, 3]");
        store.applyEffects(1, 1, 1, false, false, false, false, false);
        store.tidySessionFile();
        QFile file(session());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[1, 2, 3]"));
    }

    void tidyFirstForgetsClientsThenWritesTheSerial()
    {
        writeText(session(), kRealisticSession);
        SettingsStore store(userFolder());
        store.load(false, 3);
        store.save("KZ0012345");

        store.tidySessionFile();
        QJsonObject after = readObject(session());
        QVERIFY(after.value("clientConnections").isObject());
        QVERIFY(after.value("clientConnections").toObject().isEmpty());
        QCOMPARE(at(after, "sessionSettings.headset.serialNumber").toString(), QString("OLD"));

        store.tidySessionFile();
        after = readObject(session());
        QCOMPARE(at(after, "sessionSettings.headset.serialNumber").toString(), QString("KZ0012345"));
        QCOMPARE(at(after, "sessionSettings.headset.trackingRefOnly").toBool(), false);
        QCOMPARE(at(after, "sessionSettings.video.preferredFps").toInt(), 72);
    }

    void tidyWithoutHeadsetOrSettingsChangesNothing()
    {
        SettingsStore store(userFolder());
        store.load(false, 3);
        writeText(session(), R"({"sessionSettings": {"video": {}}})");
        store.tidySessionFile();
        QVERIFY(!at(readObject(session()), "sessionSettings").toObject().contains("headset"));

        const QByteArray untouched = R"({"clientConnections": {}, "x": 1})";
        writeText(session(), untouched);
        store.tidySessionFile();
        QFile file(session());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), untouched);
    }

    void setDeviceSnReappliesOnlyOnAModelChange()
    {
        SettingsStore store(userFolder());
        store.load(false, 3);
        store.save("KX1");
        QJsonObject &ky = store.sectionForId("KY");
        ky.insert("definitionIndex", 2);
        ky.insert("fps", "72");
        ky.insert("codec", "HEVC");
        ky.insert("10bitenc", true);
        ky.insert("audio", true);
        store.setWiredOrWireless(1);
        writeText(session(), kRealisticSession);

        QVERIFY(!store.setDeviceSn(QString()));
        QCOMPARE(store.currentId(), QString("KX1"));

        QVERIFY(store.setDeviceSn("KY42"));
        QCOMPARE(store.currentId(), QString("KY42"));
        const QJsonObject after = readObject(session());
        QCOMPARE(at(after, "sessionSettings.video.preferredFps").toInt(), 72);
        QCOMPARE(store.sectionForId("KY").value("bitRate_wired").toString(), QString("100"));
        QCOMPARE(store.sectionForId("KY").value("scale").toString(), QString("110"));
        // A stored HEVC is re-applied as index 1, which clears the 10-bit flag.
        QCOMPARE(store.sectionForId("KY").value("10bitenc").toBool(), false);

        writeText(session(), R"({"sessionSettings": {"video": {"preferredFps": 90}}})");
        QVERIFY(!store.setDeviceSn("KY43"));
        QCOMPARE(store.currentId(), QString("KY43"));
        QCOMPARE(at(readObject(session()), "sessionSettings.video.preferredFps").toInt(), 90);
    }

    void emptyIdSelectsKz()
    {
        SettingsStore store(userFolder());
        store.load(false, 3);
        store.sectionForId("KZ").insert("scale", "95");
        QVERIFY(store.setDeviceSn("KX1"));
        QCOMPARE(&store.sectionForId(""), &store.sectionForId("KZ9"));
        QCOMPARE(store.sectionForId("").value("scale").toString(), QString("95"));
    }
};

QTEST_GUILESS_MAIN(TestSessionFile)
#include "tst_sessionfile.moc"
