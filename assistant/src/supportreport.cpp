#include "supportreport.h"

#include "atomicfile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QtGui/private/qzipwriter_p.h>

namespace {

struct Entry {
    QString name;
    QByteArray contents;
};

bool isSecretName(const QString &name)
{
    static const char *const kWords[] = {"token", "password", "secret", "contact"};
    for (const char *word : kWords) {
        if (name.contains(QLatin1String(word), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QJsonValue stripped(const QJsonValue &value)
{
    if (value.isObject()) {
        QJsonObject out;
        const QJsonObject in = value.toObject();
        for (auto it = in.begin(); it != in.end(); ++it) {
            if (!isSecretName(it.key()))
                out.insert(it.key(), stripped(it.value()));
        }
        return out;
    }
    if (value.isArray()) {
        QJsonArray out;
        for (const QJsonValue &v : value.toArray())
            out.append(stripped(v));
        return out;
    }
    return value;
}

bool readFile(const QString &path, QByteArray &contents)
{
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    contents = file.readAll();
    return true;
}

QList<Entry> entries(const SupportReport::Inputs &inputs)
{
    QList<Entry> out;
    QByteArray bytes;
    for (const QString &log : inputs.logFiles) {
        if (readFile(log, bytes))
            out.append(Entry{QStringLiteral("logs/") + QFileInfo(log).fileName(), bytes});
    }
    if (readFile(inputs.settingsFile, bytes))
        out.append(Entry{QStringLiteral("set.json"), SupportReport::withoutSecrets(bytes)});
    if (readFile(inputs.recentFile, bytes))
        out.append(Entry{QStringLiteral("setting.inf"), bytes});
    if (readFile(inputs.sessionFile, bytes))
        out.append(Entry{QStringLiteral("session.json"), SupportReport::withoutSecrets(bytes)});
    if (readFile(inputs.vrpathFile, bytes))
        out.append(Entry{QStringLiteral("openvrpaths.vrpath"), bytes});
    out.append(Entry{QStringLiteral("inventory.json"),
                     QJsonDocument(stripped(inputs.inventory).toObject()).toJson(QJsonDocument::Indented)});
    out.append(Entry{QStringLiteral("checks.json"), QJsonDocument(inputs.checks).toJson(QJsonDocument::Indented)});
    return out;
}

} // namespace

QString SupportReport::fileName(const QDateTime &now)
{
    return QStringLiteral("OSTREL_Streaming_Assistant_report_") + now.toString(QStringLiteral("yyyyMMdd_HHmmss"))
        + QStringLiteral(".zip");
}

QStringList SupportReport::entryNames(const Inputs &inputs)
{
    QStringList names;
    for (const Entry &e : entries(inputs))
        names << e.name;
    return names;
}

QByteArray SupportReport::withoutSecrets(const QByteArray &json)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        return json;
    if (document.isObject())
        return QJsonDocument(stripped(document.object()).toObject()).toJson(QJsonDocument::Indented);
    if (document.isArray())
        return QJsonDocument(stripped(document.array()).toArray()).toJson(QJsonDocument::Indented);
    return json;
}

QString SupportReport::write(const QString &folder, const Inputs &inputs, QString *error)
{
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("cannot create ") + folder;
        return QString();
    }
    const QString path = QDir(folder).filePath(fileName(inputs.now));
    // Built in memory (the writer closes its device at the end), then written whole.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QZipWriter zip(&buffer);
        zip.setCompressionPolicy(QZipWriter::AutoCompress);
        zip.setCreationPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        for (const Entry &e : entries(inputs)) {
            zip.addFile(e.name, e.contents);
            if (zip.status() != QZipWriter::NoError) {
                if (error)
                    *error = QStringLiteral("cannot add ") + e.name;
                return QString();
            }
        }
        zip.close();
    }
    QString why;
    if (writeFileAtomically(path, buffer.data(), &why) != AtomicWriteResult::Written) {
        if (error)
            *error = why;
        return QString();
    }
    return path;
}
