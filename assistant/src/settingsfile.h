#pragma once

#include "qualitytable.h"

#include <QJsonObject>
#include <QString>

#include <array>

// The assistant's settings file set.json: one quality section per headset
// model, the id of the last headset and the streaming mode. Read once, then
// only written, whole and atomically.
class SettingsFile {
public:
    using Model = QualityTable::Model;
    // The stored streaming mode ("wiredOrWireless").
    enum Mode { NoMode = 0, WiredMode = 1, WirelessMode = 2 };

    explicit SettingsFile(const QString &path);

    // Reads the file; a missing or damaged one gives the defaults (a damaged
    // one is deleted), an unreadable one is kept for the next save to replace.
    void read();
    bool isRead() const { return m_read; }
    void write();

    QJsonObject &section(Model model);
    QString lastId() const { return m_lastId; }
    void setLastId(const QString &id) { m_lastId = id; }
    int mode() const { return m_mode; }
    void setMode(int mode) { m_mode = mode; }
    QString path() const { return m_path; }

    // The one precedence rule of the requested model and the last id: KY,
    // then KX, then KZ, each when the model asks for it or the id starts
    // with its code; KX when neither says anything.
    Model choose(int requestedModel) const;

    static void fillDefaults(QJsonObject &section);
    static void complete(QJsonObject &section);

private:
    QString m_path;
    std::array<QJsonObject, 3> m_sections;
    QString m_lastId = QStringLiteral("KZ");
    int m_mode = 0;
    bool m_read = false;
};
