#include "settingsfile.h"
#include "jsonfile.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const char *const kSectionKeys[] = { "KX", "KY", "KZ" };

void insertMissing(QJsonObject &section, const QString &key, const QJsonValue &value)
{
    if (!section.contains(key))
        section.insert(key, value);
}

} // namespace

SettingsFile::SettingsFile(const QString &path) : m_path(path) {}

QJsonObject &SettingsFile::section(Model model)
{
    return m_sections[static_cast<size_t>(model) - 1];
}

void SettingsFile::fillDefaults(QJsonObject &section)
{
    section.insert(QStringLiteral("fps"), QStringLiteral("90"));
    section.insert(QStringLiteral("bitRate"), QStringLiteral("50"));
    section.insert(QStringLiteral("bitRate_wired"), QStringLiteral("50"));
    section.insert(QStringLiteral("scale"), QStringLiteral("100"));
    section.insert(QStringLiteral("audio"), false);
    section.insert(QStringLiteral("customize"), false);
    section.insert(QStringLiteral("codec"), QStringLiteral("HEVC"));
    section.insert(QStringLiteral("definitionIndex"), QualityTable::kStandard);
    section.insert(QStringLiteral("fullrange"), false);
    section.insert(QStringLiteral("10bitenc"), false);
    section.insert(QStringLiteral("hdr"), false);
}

// Adds what a section read from the file lacks; the values it has stay.
void SettingsFile::complete(QJsonObject &section)
{
    insertMissing(section, QStringLiteral("fps"), QStringLiteral("90"));
    insertMissing(section, QStringLiteral("customize"), false);
    insertMissing(section, QStringLiteral("definitionIndex"),
                  section.value(QStringLiteral("customize")).toBool() ? QualityTable::kCustom
                                                                      : QualityTable::kStandard);
    insertMissing(section, QStringLiteral("codec"), QStringLiteral("HEVC"));
    insertMissing(section, QStringLiteral("audio"), false);
    insertMissing(section, QStringLiteral("scale"), QStringLiteral("100"));
    const QString bitRate =
        QString::number(QualityTable::defaultBitRate(section.value(QStringLiteral("definitionIndex")).toInt()));
    insertMissing(section, QStringLiteral("bitRate"), bitRate);
    insertMissing(section, QStringLiteral("bitRate_wired"), bitRate);
    insertMissing(section, QStringLiteral("fullrange"), false);
    insertMissing(section, QStringLiteral("10bitenc"), false);
    insertMissing(section, QStringLiteral("hdr"), false);
}

void SettingsFile::read()
{
    m_read = true;
    const JsonFile::Contents contents = JsonFile::read(m_path);
    if (contents.status == JsonFile::Status::Unreadable) {
        qWarning().noquote() << QStringLiteral("setting json cannot be read: ") + m_path;
    } else if (contents.status != JsonFile::Status::Ok) {
        qInfo().noquote() << QStringLiteral("setting json parseError");
        QFile::remove(m_path);
    }
    for (size_t i = 0; i < m_sections.size(); ++i) {
        const QString key = QString::fromLatin1(kSectionKeys[i]);
        if (contents.root.contains(key)) {
            m_sections[i] = contents.root.value(key).toObject();
            complete(m_sections[i]);
        } else {
            fillDefaults(m_sections[i]);
        }
    }
    if (contents.root.contains(QStringLiteral("lastSn")))
        m_lastId = contents.root.value(QStringLiteral("lastSn")).toString();
    if (contents.root.contains(QStringLiteral("wiredOrWireless")))
        m_mode = contents.root.value(QStringLiteral("wiredOrWireless")).toInt();
}

void SettingsFile::write()
{
    QJsonObject root;
    for (size_t i = 0; i < m_sections.size(); ++i) {
        if (!m_sections[i].isEmpty())
            root.insert(QString::fromLatin1(kSectionKeys[i]), m_sections[i]);
    }
    root.insert(QStringLiteral("lastSn"), m_lastId);
    root.insert(QStringLiteral("wiredOrWireless"), m_mode);
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QString error;
    if (JsonFile::write(m_path, root, &error) != AtomicWriteResult::Written)
        qWarning().noquote() << QStringLiteral("setting json write failed: ") + m_path + QStringLiteral(" ") + error;
}

SettingsFile::Model SettingsFile::choose(int requestedModel) const
{
    if (requestedModel == int(Model::KY) || m_lastId.startsWith(QLatin1String("KY")))
        return Model::KY;
    if (requestedModel == int(Model::KX) || m_lastId.startsWith(QLatin1String("KX")))
        return Model::KX;
    if (requestedModel == int(Model::KZ) || m_lastId.startsWith(QLatin1String("KZ")))
        return Model::KZ;
    return Model::KX;
}
