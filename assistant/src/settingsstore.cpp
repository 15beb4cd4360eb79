#include "settingsstore.h"
#include "userfolder.h"

#include "platform/paths.h"

#include <QDebug>
#include <QDir>

using QualityTable::Model;

namespace {

void logInfo(const QString &text)
{
    qInfo().noquote() << text;
}

QString registrationFile(const QString &homeDir)
{
    return QString::fromStdString(platform::openvrPathRegistryFile(homeDir.toStdString()));
}

// A section's model number as the later loads read it: anything but KX or KY is KZ.
Model modelOfNumber(int model)
{
    return model == int(Model::KX) ? Model::KX : model == int(Model::KY) ? Model::KY : Model::KZ;
}

} // namespace

SettingsStore::Paths SettingsStore::Paths::in(const QString &userFolder, const QString &programFolder)
{
    const QDir program(programFolder);
    return Paths { userFolder + QStringLiteral("/set.json"), userFolder + QStringLiteral("/setting.inf"),
                   program.absoluteFilePath(QStringLiteral("session.json")),
                   program.absoluteFilePath(QStringLiteral("compare.json")) };
}

// The program's files: the user folder, and the folder the program runs in
// for the streamer's session file and the GPU table.
SettingsStore *SettingsStore::instance()
{
    static SettingsStore store(Paths::in(UserFolder::path(), QDir::currentPath()));
    return &store;
}

SettingsStore::SettingsStore(const Paths &paths)
    : m_file(paths.settingsFile)
    , m_recent(paths.recentFile)
    , m_session(paths.sessionFile)
    , m_gpuTable(paths.gpuTable)
{
}

SettingsStore::SettingsStore(const QString &folder)
    : SettingsStore(Paths::in(folder.isEmpty() ? UserFolder::path() : folder, QDir::currentPath()))
{
}

int SettingsStore::modelOf(QString id) const
{
    return int(QualityTable::modelOf(id));
}

QJsonObject &SettingsStore::sectionForId(QString id)
{
    return m_file.section(QualityTable::modelOf(id));
}

QJsonObject &SettingsStore::currentSection()
{
    return sectionForId(m_file.lastId());
}

QJsonObject SettingsStore::load(bool useModel, int model)
{
    if (m_file.isRead())
        return m_file.section(useModel ? modelOfNumber(model) : m_file.choose(0));
    m_file.read();
    const QJsonObject chosen = m_file.section(m_file.choose(useModel ? model : 0));
    resolveSize();
    return chosen;
}

void SettingsStore::save(QString id)
{
    if (!id.isEmpty())
        m_file.setLastId(id);
    m_file.write();
    m_sizeResolved = false;
}

int SettingsStore::definitionIndex()
{
    const int value = currentSection().value(QStringLiteral("definitionIndex")).toInt(0);
    logInfo(QStringLiteral("definitionIndex: %1; sn: %2").arg(value).arg(currentId()));
    return value;
}

int SettingsStore::fpsIndex()
{
    const int value = QualityTable::fpsIndexOf(currentSection().value(QStringLiteral("fps")).toString());
    logInfo(QStringLiteral("fpsIndex: %1; sn: %2").arg(value).arg(currentId()));
    return value;
}

int SettingsStore::encodeIndex()
{
    const QJsonObject &section = currentSection();
    const int value = codecIndex(section.value(QStringLiteral("codec")).toString(),
                                 section.value(QStringLiteral("10bitenc")).toBool());
    logInfo(QStringLiteral("encodeIndex: %1; sn: %2").arg(value).arg(currentId()));
    return value;
}

bool SettingsStore::audio()
{
    return currentSection().value(QStringLiteral("audio")).toBool();
}

bool SettingsStore::tenBitEnc()
{
    return currentSection().value(QStringLiteral("10bitenc")).toBool();
}

bool SettingsStore::fullRange()
{
    return currentSection().value(QStringLiteral("fullrange")).toBool();
}

bool SettingsStore::hdr()
{
    return currentSection().value(QStringLiteral("hdr")).toBool();
}

void SettingsStore::setWiredOrWireless(int mode)
{
    const int previous = m_file.mode();
    if (mode == previous)
        return;
    m_file.setMode(mode);
    // The first choice ever is kept at once; later ones go with the next save.
    if (previous == SettingsFile::NoMode)
        save(QString());
}

void SettingsStore::resolveSize()
{
    if (m_sizeResolved)
        return;
    const Model model = QualityTable::modelOf(currentId());
    m_width = QualityTable::width(model);
    m_height = QualityTable::height(model);
    m_sizeResolved = true;
}

int SettingsStore::width()
{
    resolveSize();
    logInfo(QStringLiteral("width: %1; sn: %2").arg(m_width).arg(currentId()));
    return m_width;
}

int SettingsStore::height()
{
    resolveSize();
    logInfo(QStringLiteral("height: %1; sn: %2").arg(m_height).arg(currentId()));
    return m_height;
}

void SettingsStore::storeVideoBitRate(int bitRate, bool wired, int model)
{
    QJsonObject &section = m_file.section(m_file.choose(model));
    section.insert(wired ? QStringLiteral("bitRate_wired") : QStringLiteral("bitRate"), QString::number(bitRate));
}

void SettingsStore::storeVideoQuality(int scale, int bitRate, bool wired, int model)
{
    QJsonObject &section = m_file.section(m_file.choose(model));
    section.insert(QStringLiteral("scale"), QString::number(scale));
    section.insert(wired ? QStringLiteral("bitRate_wired") : QStringLiteral("bitRate"), QString::number(bitRate));
}

int SettingsStore::codecIndex(QString codec, bool tenBit) const
{
    return QualityTable::codecIndex(codec, tenBit);
}

bool SettingsStore::useH264ScaleStep(int encodeIndex) const
{
    return QualityTable::usesH264ScaleStep(encodeIndex, currentId());
}

void SettingsStore::setVbCableCheck(std::function<bool()> check)
{
    m_vbCableCheck = std::move(check);
}

double SettingsStore::storeQuality(int definitionIndex, int fpsIndex, int encodeIndex, bool audio, bool wired,
                                   bool tenBit, bool fullRange, bool hdr)
{
    QJsonObject &section = currentSection();
    double scale = 1.0;
    if (const QualityTable::Preset *preset = QualityTable::preset(definitionIndex)) {
        section.insert(wired ? QStringLiteral("bitRate_wired") : QStringLiteral("bitRate"),
                       QString::number(preset->bitRate));
        scale = useH264ScaleStep(encodeIndex) ? preset->scaleH264Step : preset->scale;
    } else if (definitionIndex == QualityTable::kCustom) {
        // A scale stored as anything but a decimal text counts as 0.
        scale = section.value(QStringLiteral("scale")).toString().toInt() / 100.0;
    }
    section.insert(QStringLiteral("customize"), definitionIndex == QualityTable::kCustom);
    section.insert(QStringLiteral("definitionIndex"), definitionIndex);
    section.insert(QStringLiteral("codec"), QualityTable::codecText(encodeIndex));
    section.insert(QStringLiteral("audio"), audio);
    section.insert(QStringLiteral("fps"), QString::number(QualityTable::frameRate(fpsIndex)));
    section.insert(QStringLiteral("scale"), QString::number(scale * 100, 'g', 6));
    section.insert(QStringLiteral("fullrange"), fullRange);
    section.insert(QStringLiteral("10bitenc"), QualityTable::tenBitFor(encodeIndex, tenBit));
    section.insert(QStringLiteral("hdr"), hdr);
    return scale;
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
    const double scale = storeQuality(definitionIndex, fpsIndex, encodeIndex, audio, wired, tenBit, fullRange, hdr);
    logInfo(QStringLiteral("scale: %1 fps %2 ").arg(QString::number(scale)).arg(fpsIndex));
    m_file.setMode(wired ? SettingsFile::WiredMode : SettingsFile::WirelessMode);
    save(QString());
    m_session.applyQuality(QualityTable::frameRate(fpsIndex), audio, m_vbCableCheck && m_vbCableCheck());
}

bool SettingsStore::setDeviceSn(QString id)
{
    if (id.isEmpty())
        return false;
    const Model newModel = QualityTable::modelOf(id);
    const Model oldModel = QualityTable::modelOf(currentId());
    m_file.setLastId(id);
    if (newModel == oldModel)
        return false;

    const QJsonObject section = sectionForId(id);
    const int definition = section.value(QStringLiteral("definitionIndex")).toInt(0);
    const int fps = QualityTable::fpsIndexOf(section.value(QStringLiteral("fps")).toString());
    const int encode = codecIndex(section.value(QStringLiteral("codec")).toString(), false);
    logInfo(QStringLiteral("setDeviceSn: ") + id + QStringLiteral("; codectype: ") + QString::number(encode));
    applyEffects(definition, fps, encode, section.value(QStringLiteral("audio")).toBool(), m_file.mode() == SettingsFile::WiredMode,
                 section.value(QStringLiteral("10bitenc")).toBool(), section.value(QStringLiteral("fullrange")).toBool(),
                 section.value(QStringLiteral("hdr")).toBool());
    return true;
}

void SettingsStore::tidySessionFile()
{
    m_session.tidy(currentId());
}

bool SettingsStore::setExternalDrivers(QString driverDir, QString homeDir, QString &runtimePath)
{
    return DriverRegistration(registrationFile(homeDir)).set(driverDir, runtimePath);
}

void SettingsStore::clearExternalDrivers(QString appDir, QString homeDir)
{
    Q_UNUSED(appDir)
    DriverRegistration(registrationFile(homeDir)).clear();
}

bool SettingsStore::hasExternalDrivers(QString homeDir)
{
    return DriverRegistration(registrationFile(homeDir)).has();
}

int SettingsStore::hardwareScore(QString cpuName, QString gpuName)
{
    return m_gpuTable.hardwareScore(cpuName, gpuName);
}

bool SettingsStore::isAv1Capable(QString gpuName)
{
    return m_gpuTable.hasAv1Gpu(gpuName) && QualityTable::takesAv1(currentId());
}

bool SettingsStore::isNvidia(QString gpuName) const
{
    return GpuTable::isNvidia(gpuName);
}
