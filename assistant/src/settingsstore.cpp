#include "settingsstore.h"
#include "atomicfile.h"
#include "userfolder.h"

#include "platform/paths.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QRegularExpression>

namespace {

const QString kSessionFile = QStringLiteral("./session.json");
const QString kCompareFile = QStringLiteral("./compare.json");
const QString kCableInput = QStringLiteral("CABLE Input (VB-Audio Virtual Cable)");
const QString kCableOutput = QStringLiteral("CABLE Output (VB-Audio Virtual Cable)");

void logInfo(const QString &text)
{
    qInfo().noquote() << text;
}

void logWarning(const QString &text)
{
    qWarning().noquote() << text;
}

QByteArray indented(const QJsonObject &root)
{
    // Indented with four spaces, keys in ascending order, ending in a line feed.
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

void defaultSection(QJsonObject &section)
{
    section.insert(QStringLiteral("fps"), QStringLiteral("90"));
    section.insert(QStringLiteral("bitRate"), QStringLiteral("50"));
    section.insert(QStringLiteral("bitRate_wired"), QStringLiteral("50"));
    section.insert(QStringLiteral("scale"), QStringLiteral("100"));
    section.insert(QStringLiteral("audio"), false);
    section.insert(QStringLiteral("customize"), false);
    section.insert(QStringLiteral("codec"), QStringLiteral("HEVC"));
    section.insert(QStringLiteral("definitionIndex"), 1);
    section.insert(QStringLiteral("fullrange"), false);
    section.insert(QStringLiteral("10bitenc"), false);
    section.insert(QStringLiteral("hdr"), false);
}

void insertMissing(QJsonObject &section, const QString &key, const QJsonValue &value)
{
    if (!section.contains(key))
        section.insert(key, value);
}

void completeSection(QJsonObject &section)
{
    insertMissing(section, QStringLiteral("fps"), QStringLiteral("90"));
    insertMissing(section, QStringLiteral("customize"), false);
    insertMissing(section, QStringLiteral("definitionIndex"),
                  section.value(QStringLiteral("customize")).toBool() ? 3 : 1);
    insertMissing(section, QStringLiteral("codec"), QStringLiteral("HEVC"));
    insertMissing(section, QStringLiteral("audio"), false);
    insertMissing(section, QStringLiteral("scale"), QStringLiteral("100"));
    QString bitRate;
    switch (section.value(QStringLiteral("definitionIndex")).toInt()) {
    case 0:
        bitRate = QStringLiteral("20");
        break;
    case 2:
        bitRate = QStringLiteral("100");
        break;
    default:
        bitRate = QStringLiteral("50");
        break;
    }
    insertMissing(section, QStringLiteral("bitRate"), bitRate);
    insertMissing(section, QStringLiteral("bitRate_wired"), bitRate);
    insertMissing(section, QStringLiteral("fullrange"), false);
    insertMissing(section, QStringLiteral("10bitenc"), false);
    insertMissing(section, QStringLiteral("hdr"), false);
}

// The member `key` of `parent` when it is an object; false when it is
// missing or of another type.
bool takeObject(const QJsonObject &parent, const QString &key, QJsonObject &member)
{
    const QJsonValue value = parent.value(key);
    if (!value.isObject())
        return false;
    member = value.toObject();
    return true;
}

// The same, but a missing member gives a new empty object.
bool takeObjectOrNew(const QJsonObject &parent, const QString &key, QJsonObject &member)
{
    if (!parent.contains(key)) {
        member = QJsonObject();
        return true;
    }
    return takeObject(parent, key, member);
}

// Sets "name" in the device object `key` of `content` (created when missing).
void setName(QJsonObject &content, const QString &key, const QString &name)
{
    QJsonObject device;
    if (!takeObjectOrNew(content, key, device))
        return;
    device.insert(QStringLiteral("name"), name);
    content.insert(key, device);
}

// Reads and parses a small JSON file whole. False when it cannot be opened;
// a parse error is reported through `error`.
bool readJson(const QString &path, QJsonDocument &document, QJsonParseError &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error.error = QJsonParseError::IllegalValue;
        return false;
    }
    document = QJsonDocument::fromJson(file.readAll(), &error);
    return true;
}

// Entries of a table array as texts; numbers count as their text. Empty
// texts are dropped: every name contains the empty text.
QStringList tableEntries(const QJsonValue &array)
{
    QStringList entries;
    for (const QJsonValue &value : array.toArray()) {
        const QString text = value.toVariant().toString();
        if (!text.isEmpty())
            entries << text;
    }
    return entries;
}

bool containsAny(const QString &name, const QStringList &entries)
{
    for (const QString &entry : entries) {
        if (name.contains(entry, Qt::CaseSensitive))
            return true;
    }
    return false;
}

} // namespace

SettingsStore *SettingsStore::instance()
{
    static SettingsStore store;
    return &store;
}

SettingsStore::SettingsStore(const QString &folder) : m_folder(folder) {}

QString SettingsStore::settingsFilePath() const
{
    return (m_folder.isEmpty() ? UserFolder::path() : m_folder) + QStringLiteral("/set.json");
}

QString SettingsStore::recentFilePath() const
{
    return (m_folder.isEmpty() ? UserFolder::path() : m_folder) + QStringLiteral("/setting.inf");
}

int SettingsStore::modelOf(QString id) const
{
    if (id.isEmpty() || id.startsWith(QLatin1String("KZ")))
        return 3;
    if (id.startsWith(QLatin1String("KY")))
        return 2;
    return 1;
}

QJsonObject &SettingsStore::sectionForId(QString id)
{
    switch (modelOf(id)) {
    case 3:
        return m_kz;
    case 2:
        return m_ky;
    default:
        return m_kx;
    }
}

// The choice of the first load and of the store operations: the model
// argument and the stored id both count, KY before KX before KZ.
QJsonObject &SettingsStore::sectionForStore(int model)
{
    if (model == 2 || m_sn.startsWith(QLatin1String("KY")))
        return m_ky;
    if (model == 1 || m_sn.startsWith(QLatin1String("KX")))
        return m_kx;
    if (model == 3 || m_sn.startsWith(QLatin1String("KZ")))
        return m_kz;
    return m_kx;
}

QJsonObject &SettingsStore::sectionByRules(bool useModel, int model, bool firstLoad)
{
    if (useModel && firstLoad)
        return sectionForStore(model);
    if (useModel)
        return model == 1 ? m_kx : model == 2 ? m_ky : m_kz;
    // By the stored id alone; an id of no known model (even an empty one) gives KX.
    if (m_sn.startsWith(QLatin1String("KY")))
        return m_ky;
    if (m_sn.startsWith(QLatin1String("KZ")))
        return m_kz;
    return m_kx;
}

QJsonObject SettingsStore::load(bool useModel, int model)
{
    if (!m_kx.isEmpty())
        return sectionByRules(useModel, model, false);

    const QString path = settingsFilePath();
    QJsonDocument document;
    QJsonParseError error {};
    const bool readable = readJson(path, document, error);
    if (!readable && QFile::exists(path)) {
        // Present but locked or unreadable: keep it, the next save replaces it.
        logWarning(QStringLiteral("setting json cannot be read: ") + path);
        defaultSection(m_kx);
        defaultSection(m_ky);
        defaultSection(m_kz);
    } else if (error.error != QJsonParseError::NoError || !document.isObject()) {
        logInfo(QStringLiteral("setting json parseError"));
        QFile::remove(path);
        defaultSection(m_kx);
        defaultSection(m_ky);
        defaultSection(m_kz);
    } else {
        const QJsonObject root = document.object();
        const QString keys[] = { QStringLiteral("KX"), QStringLiteral("KY"), QStringLiteral("KZ") };
        QJsonObject *sections[] = { &m_kx, &m_ky, &m_kz };
        for (int i = 0; i < 3; ++i) {
            if (root.contains(keys[i])) {
                *sections[i] = root.value(keys[i]).toObject();
                completeSection(*sections[i]);
            } else {
                defaultSection(*sections[i]);
            }
        }
        if (root.contains(QStringLiteral("lastSn")))
            m_sn = root.value(QStringLiteral("lastSn")).toString();
        if (root.contains(QStringLiteral("wiredOrWireless")))
            m_wiredOrWireless = root.value(QStringLiteral("wiredOrWireless")).toInt();
    }
    const QJsonObject chosen = sectionByRules(useModel, model, true);
    resolveSize();
    return chosen;
}

void SettingsStore::save(QString id)
{
    QJsonObject root;
    if (!m_kx.isEmpty())
        root.insert(QStringLiteral("KX"), m_kx);
    if (!m_ky.isEmpty())
        root.insert(QStringLiteral("KY"), m_ky);
    if (!m_kz.isEmpty())
        root.insert(QStringLiteral("KZ"), m_kz);
    if (!id.isEmpty())
        m_sn = id;
    root.insert(QStringLiteral("lastSn"), m_sn);
    root.insert(QStringLiteral("wiredOrWireless"), m_wiredOrWireless);

    const QString path = settingsFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QString error;
    if (writeFileAtomically(path, indented(root), &error) != AtomicWriteResult::Written)
        logWarning(QStringLiteral("setting json write failed: ") + path + QStringLiteral(" ") + error);
    m_sizeResolved = false;
}

int SettingsStore::definitionIndex()
{
    const int value = sectionForId(m_sn).value(QStringLiteral("definitionIndex")).toInt(0);
    logInfo(QStringLiteral("definitionIndex: %1; sn: %2").arg(value).arg(m_sn));
    return value;
}

int SettingsStore::fpsIndex()
{
    const int value = sectionForId(m_sn).value(QStringLiteral("fps")).toString() == QLatin1String("72") ? 0 : 1;
    logInfo(QStringLiteral("fpsIndex: %1; sn: %2").arg(value).arg(m_sn));
    return value;
}

int SettingsStore::encodeIndex()
{
    const QJsonObject &section = sectionForId(m_sn);
    const int value = codecIndex(section.value(QStringLiteral("codec")).toString(),
                                 section.value(QStringLiteral("10bitenc")).toBool());
    logInfo(QStringLiteral("encodeIndex: %1; sn: %2").arg(value).arg(m_sn));
    return value;
}

bool SettingsStore::audio()
{
    return sectionForId(m_sn).value(QStringLiteral("audio")).toBool();
}

bool SettingsStore::tenBitEnc()
{
    return sectionForId(m_sn).value(QStringLiteral("10bitenc")).toBool();
}

bool SettingsStore::fullRange()
{
    return sectionForId(m_sn).value(QStringLiteral("fullrange")).toBool();
}

bool SettingsStore::hdr()
{
    return sectionForId(m_sn).value(QStringLiteral("hdr")).toBool();
}

void SettingsStore::setWiredOrWireless(int mode)
{
    if (mode == m_wiredOrWireless)
        return;
    const int previous = m_wiredOrWireless;
    m_wiredOrWireless = mode;
    // The first choice ever is kept at once; later ones go with the next save.
    if (previous == 0)
        save(QString());
}

void SettingsStore::resolveSize()
{
    if (m_sizeResolved)
        return;
    if (modelOf(m_sn) == 3) {
        m_width = 2880;
        m_height = 2656;
    } else {
        m_width = 1600;
        m_height = 1600;
    }
    m_sizeResolved = true;
}

int SettingsStore::width()
{
    resolveSize();
    logInfo(QStringLiteral("width: %1; sn: %2").arg(m_width).arg(m_sn));
    return m_width;
}

int SettingsStore::height()
{
    resolveSize();
    logInfo(QStringLiteral("height: %1; sn: %2").arg(m_height).arg(m_sn));
    return m_height;
}

void SettingsStore::storeVideoBitRate(int bitRate, bool wired, int model)
{
    QJsonObject &section = sectionForStore(model);
    section.insert(wired ? QStringLiteral("bitRate_wired") : QStringLiteral("bitRate"), QString::number(bitRate));
}

void SettingsStore::storeVideoQuality(int scale, int bitRate, bool wired, int model)
{
    QJsonObject &section = sectionForStore(model);
    section.insert(QStringLiteral("scale"), QString::number(scale));
    section.insert(wired ? QStringLiteral("bitRate_wired") : QStringLiteral("bitRate"), QString::number(bitRate));
}

QStringList SettingsStore::recentHeadsets() const
{
    QFile file(recentFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(file.readAll());
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char(';'));
}

void SettingsStore::storeRecentHeadsets(const QStringList &names)
{
    const QString path = recentFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QString error;
    if (writeFileAtomically(path, names.join(QLatin1Char(';')).toUtf8(), &error) != AtomicWriteResult::Written)
        logWarning(QStringLiteral("setting.inf write failed: ") + path + QStringLiteral(" ") + error);
}

int SettingsStore::codecIndex(QString codec, bool tenBit) const
{
    if (codec == QLatin1String("H264"))
        return 0;
    if (codec == QLatin1String("AV01"))
        return 3;
    if (codec == QLatin1String("HEVC"))
        return tenBit ? 2 : 1;
    return 1;
}

bool SettingsStore::useH264ScaleStep(int encodeIndex) const
{
    return encodeIndex == 0 && m_sn.startsWith(QLatin1String("KZ"));
}

void SettingsStore::setVbCableCheck(std::function<bool()> check)
{
    m_vbCableCheck = std::move(check);
}

void SettingsStore::applyEffects(int definitionIndex, int fpsIndex, int encodeIndex, bool audio, bool wired,
                                 bool tenBit, bool fullRange, bool hdr)
{
    logInfo(QStringLiteral("definition: %1 fps: %2  encode: %3 audio: %4 wired: %5")
                .arg(definitionIndex)
                .arg(fpsIndex)
                .arg(encodeIndex)
                .arg(audio ? 1 : 0)
                .arg(wired ? 1 : 0));
    const int frameRate = fpsIndex == 1 ? 90 : 72;
    double scale = 1.0;
    QJsonObject &section = sectionForId(m_sn);
    const bool lowerStep = useH264ScaleStep(encodeIndex);
    const QString bitRateKey = wired ? QStringLiteral("bitRate_wired") : QStringLiteral("bitRate");
    bool customize = false;
    switch (definitionIndex) {
    case 0:
        section.insert(bitRateKey, QStringLiteral("20"));
        scale = lowerStep ? 0.8 : 0.9;
        break;
    case 1:
        section.insert(bitRateKey, QStringLiteral("50"));
        scale = lowerStep ? 0.9 : 1.0;
        break;
    case 2:
        section.insert(bitRateKey, QStringLiteral("100"));
        scale = lowerStep ? 1.0 : 1.1;
        break;
    case 3:
        // A scale stored as anything but a decimal text counts as 0.
        scale = section.value(QStringLiteral("scale")).toString().toInt() / 100.0;
        customize = true;
        break;
    default:
        break;
    }
    section.insert(QStringLiteral("customize"), customize);
    logInfo(QStringLiteral("scale: %1 fps %2 ").arg(QString::number(scale)).arg(fpsIndex));

    m_wiredOrWireless = wired ? 1 : 2;

    section.insert(QStringLiteral("definitionIndex"), definitionIndex);
    section.insert(QStringLiteral("codec"), encodeIndex == 0   ? QStringLiteral("H264")
                                            : encodeIndex == 3 ? QStringLiteral("AV01")
                                                               : QStringLiteral("HEVC"));
    section.insert(QStringLiteral("audio"), audio);
    section.insert(QStringLiteral("fps"), QString::number(frameRate));
    section.insert(QStringLiteral("scale"), QString::number(scale * 100, 'g', 6));
    section.insert(QStringLiteral("fullrange"), fullRange);
    bool tenBitEncoding = tenBit;
    if (encodeIndex == 0 || encodeIndex == 1)
        tenBitEncoding = false;
    else if (encodeIndex == 2 || encodeIndex == 3)
        tenBitEncoding = true;
    section.insert(QStringLiteral("10bitenc"), tenBitEncoding);
    section.insert(QStringLiteral("hdr"), hdr);
    save(QString());

    if (!QFile::exists(kSessionFile)) {
        logInfo(QStringLiteral("no session json: ") + kSessionFile);
        return;
    }
    QJsonDocument document;
    QJsonParseError error {};
    if (!readJson(kSessionFile, document, error)) {
        logWarning(QStringLiteral("session json cannot be read: ") + kSessionFile);
        return;
    }
    if (error.error != QJsonParseError::NoError) {
        logInfo(QStringLiteral("set session json parseError"));
        QFile::remove(kSessionFile);
        return;
    }
    if (!document.isObject()) {
        // Not ours to replace: the streamer may know what it holds.
        logWarning(QStringLiteral("session json root is not an object, left unchanged"));
        return;
    }

    // Members are edited only where they are objects: a member of another
    // type is the streamer's own and stays as it is.
    QJsonObject root = document.object();
    QJsonObject sessionSettings;
    if (takeObject(root, QStringLiteral("sessionSettings"), sessionSettings)) {
        QJsonObject video;
        if (takeObject(sessionSettings, QStringLiteral("video"), video)) {
            video.insert(QStringLiteral("preferredFps"), frameRate);
            QJsonObject openvrConfig;
            if (takeObject(root, QStringLiteral("openvr_config"), openvrConfig)) {
                openvrConfig.insert(QStringLiteral("refresh_rate"), frameRate);
                root.insert(QStringLiteral("openvr_config"), openvrConfig);
            }
            sessionSettings.insert(QStringLiteral("video"), video);
        }
        QJsonObject audioObject;
        QJsonObject microphone;
        if (takeObject(sessionSettings, QStringLiteral("audio"), audioObject)
            && takeObject(audioObject, QStringLiteral("microphone"), microphone)) {
            microphone.insert(QStringLiteral("enabled"), audio);
            QJsonObject content;
            if (audio && m_vbCableCheck && m_vbCableCheck()
                && takeObjectOrNew(microphone, QStringLiteral("content"), content)) {
                setName(content, QStringLiteral("inputDeviceId"), kCableInput);
                setName(content, QStringLiteral("outputDeviceId"), kCableOutput);
                microphone.insert(QStringLiteral("content"), content);
            }
            audioObject.insert(QStringLiteral("microphone"), microphone);
            sessionSettings.insert(QStringLiteral("audio"), audioObject);
        }
        root.insert(QStringLiteral("sessionSettings"), sessionSettings);
    }
    QString writeError;
    if (writeFileAtomically(kSessionFile, indented(root), &writeError) != AtomicWriteResult::Written)
        logWarning(QStringLiteral("session json write failed: ") + kSessionFile + QStringLiteral(" ") + writeError);
}

bool SettingsStore::setDeviceSn(QString id)
{
    if (id.isEmpty())
        return false;
    const int newModel = modelOf(id);
    const int oldModel = modelOf(m_sn);
    m_sn = id;
    if (newModel == oldModel)
        return false;

    const QJsonObject section = sectionForId(id);
    const int definition = section.value(QStringLiteral("definitionIndex")).toInt(0);
    const int fps = section.value(QStringLiteral("fps")).toString() == QLatin1String("72") ? 0 : 1;
    const int encode = codecIndex(section.value(QStringLiteral("codec")).toString(), false);
    logInfo(QStringLiteral("setDeviceSn: ") + id + QStringLiteral("; codectype: ") + QString::number(encode));
    applyEffects(definition, fps, encode, section.value(QStringLiteral("audio")).toBool(), m_wiredOrWireless == 1,
                 section.value(QStringLiteral("10bitenc")).toBool(), section.value(QStringLiteral("fullrange")).toBool(),
                 section.value(QStringLiteral("hdr")).toBool());
    return true;
}

void SettingsStore::tidySessionFile()
{
    if (!QFile::exists(kSessionFile))
        return;
    logInfo(QStringLiteral("session path:") + QFileInfo(kSessionFile).absoluteFilePath() + QStringLiteral("; sn: ")
            + m_sn);
    QJsonDocument document;
    QJsonParseError error {};
    if (!readJson(kSessionFile, document, error)) {
        logWarning(QStringLiteral("session json cannot be read: ") + kSessionFile);
        return;
    }
    if (error.error != QJsonParseError::NoError) {
        logInfo(QStringLiteral("before session json parseError"));
        QFile::remove(kSessionFile);
        return;
    }
    if (!document.isObject()) {
        logWarning(QStringLiteral("session json root is not an object, left unchanged"));
        return;
    }
    QJsonObject root = document.object();
    QJsonObject sessionSettings;
    const QJsonValue clients = root.value(QStringLiteral("clientConnections"));
    if (clients.isObject() && !clients.toObject().isEmpty()) {
        // Forget the remembered clients; the serial follows at the next exit.
        root.insert(QStringLiteral("clientConnections"), QJsonObject());
    } else if (takeObject(root, QStringLiteral("sessionSettings"), sessionSettings)) {
        QJsonObject headset;
        if (takeObject(sessionSettings, QStringLiteral("headset"), headset)) {
            headset.insert(QStringLiteral("serialNumber"), m_sn);
            sessionSettings.insert(QStringLiteral("headset"), headset);
        }
        root.insert(QStringLiteral("sessionSettings"), sessionSettings);
    } else {
        return;
    }
    QString writeError;
    if (writeFileAtomically(kSessionFile, indented(root), &writeError) != AtomicWriteResult::Written)
        logWarning(QStringLiteral("session json write failed: ") + kSessionFile + QStringLiteral(" ") + writeError);
}

bool SettingsStore::setExternalDrivers(QString driverDir, QString homeDir, QString &runtimePath)
{
    const QString path = QString::fromStdString(platform::openvrPathRegistryFile(homeDir.toStdString()));
    if (!QFile::exists(path)) {
        logInfo(QStringLiteral("Config file does not exist:") + path);
        return false;
    }
    QJsonDocument document;
    QJsonParseError error {};
    if (!readJson(path, document, error)) {
        logWarning(QStringLiteral("Failed to open file for reading:") + path);
        return false;
    }
    if (error.error != QJsonParseError::NoError) {
        logInfo(QStringLiteral("vrpath parseError:") + error.errorString());
        return false;
    }
    if (!document.isObject()) {
        logWarning(QStringLiteral("vrpath root is not an object, left unchanged:") + path);
        return false;
    }
    QJsonObject root = document.object();
    const QJsonArray runtime = root.value(QStringLiteral("runtime")).toArray();
    if (!runtime.isEmpty())
        runtimePath = runtime.first().toString();
    root.insert(QStringLiteral("external_drivers"), QJsonArray { driverDir });

    QString writeError;
    switch (writeFileAtomically(path, indented(root), &writeError)) {
    case AtomicWriteResult::OpenFailed:
        logWarning(QStringLiteral("Failed to open file for writing:") + path);
        return false;
    case AtomicWriteResult::WriteFailed:
        logWarning(QStringLiteral("Failed to write to file:") + path);
        return false;
    case AtomicWriteResult::Written:
        break;
    }
    logInfo(QStringLiteral("Successfully set external_drivers to:") + driverDir);
    return true;
}

void SettingsStore::clearExternalDrivers(QString appDir, QString homeDir)
{
    Q_UNUSED(appDir)
    const QString path = QString::fromStdString(platform::openvrPathRegistryFile(homeDir.toStdString()));
    if (!QFile::exists(path)) {
        logInfo(QStringLiteral("Config file does not exist:") + path);
        return;
    }
    QJsonDocument document;
    QJsonParseError error {};
    if (!readJson(path, document, error)) {
        logWarning(QStringLiteral("Failed to open file for reading:") + path);
        return;
    }
    if (error.error != QJsonParseError::NoError) {
        logInfo(QStringLiteral("vrpath parseError:") + error.errorString());
        return;
    }
    QJsonObject root = document.object();
    if (!document.isObject() || !root.contains(QStringLiteral("external_drivers"))) {
        logInfo(QStringLiteral("No external_drivers field found, nothing to clear"));
        return;
    }
    root.insert(QStringLiteral("external_drivers"), QJsonArray());
    QString writeError;
    switch (writeFileAtomically(path, indented(root), &writeError)) {
    case AtomicWriteResult::OpenFailed:
        logWarning(QStringLiteral("Failed to open file for writing:") + path);
        break;
    case AtomicWriteResult::WriteFailed:
        logWarning(QStringLiteral("Failed to write to file:") + path);
        break;
    case AtomicWriteResult::Written:
        logInfo(QStringLiteral("Successfully cleared external_drivers array (empty array)"));
        break;
    }
}

bool SettingsStore::hasExternalDrivers(QString homeDir)
{
    const QString path = QString::fromStdString(platform::openvrPathRegistryFile(homeDir.toStdString()));
    QJsonDocument document;
    QJsonParseError error {};
    if (!QFile::exists(path) || !readJson(path, document, error) || error.error != QJsonParseError::NoError
        || !document.isObject())
        return false;
    const QJsonValue drivers = document.object().value(QStringLiteral("external_drivers"));
    return drivers.isArray() && !drivers.toArray().isEmpty();
}

int SettingsStore::hardwareScore(QString cpuName, QString gpuName)
{
    if (!QFile::exists(kCompareFile))
        return 0;
    QJsonDocument document;
    QJsonParseError error {};
    if (!readJson(kCompareFile, document, error))
        return 0;
    if (error.error != QJsonParseError::NoError) {
        logInfo(QStringLiteral("compare json parseError: ") + QString::number(error.error));
        return 0;
    }
    const QJsonObject root = document.object();
    int cpuScore = 0;
    if (root.contains(QStringLiteral("cpu"))) {
        const QJsonObject cpu = root.value(QStringLiteral("cpu")).toObject();
        if (containsAny(cpuName, tableEntries(cpu.value(QStringLiteral("mid")))))
            cpuScore = 4;
        else if (containsAny(cpuName, tableEntries(cpu.value(QStringLiteral("low")))))
            cpuScore = 1;
    }
    int gpuScore = 0;
    if (root.contains(QStringLiteral("graphics"))) {
        const QJsonObject graphics = root.value(QStringLiteral("graphics")).toObject();
        if (containsAny(gpuName, tableEntries(graphics.value(QStringLiteral("high")))))
            gpuScore = 8;
        else if (containsAny(gpuName, tableEntries(graphics.value(QStringLiteral("mid")))))
            gpuScore = 4;
    }
    logInfo(QStringLiteral("hardware: %1 %2").arg(cpuScore).arg(gpuScore));
    return cpuScore + gpuScore;
}

bool SettingsStore::isAv1Capable(QString gpuName)
{
    if (!QFile::exists(kCompareFile))
        return false;
    QJsonDocument document;
    QJsonParseError error {};
    if (!readJson(kCompareFile, document, error))
        return false;
    if (error.error != QJsonParseError::NoError) {
        logInfo(QStringLiteral("compare json parseError: ") + QString::number(error.error));
        return false;
    }
    const QJsonObject root = document.object();
    if (!root.contains(QStringLiteral("graphics")))
        return false;
    static const QRegularExpression series(QStringLiteral("RTX\\s*(\\d{4})"));
    const QStringList high = tableEntries(root.value(QStringLiteral("graphics")).toObject().value(QStringLiteral("high")));
    for (const QString &entry : high) {
        if (!gpuName.contains(entry, Qt::CaseSensitive) || !entry.startsWith(QLatin1String("RTX")))
            continue;
        const QRegularExpressionMatch match = series.match(entry);
        if (!match.hasMatch())
            continue;
        if (match.captured(1).toInt() >= 4000 && m_sn.startsWith(QLatin1String("KZ")))
            return true;
    }
    return false;
}

bool SettingsStore::isNvidia(QString gpuName) const
{
    return gpuName.contains(QLatin1String("nvidia"), Qt::CaseInsensitive);
}
