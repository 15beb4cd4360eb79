#include "driverregistration.h"
#include "jsonfile.h"

#include <QDebug>
#include <QJsonArray>

namespace {

void logInfo(const QString &text)
{
    qInfo().noquote() << text;
}

void logWarning(const QString &text)
{
    qWarning().noquote() << text;
}

// The file's contents when it is there to edit; otherwise logs why not.
bool readForEdit(const QString &path, JsonFile::Contents &contents)
{
    contents = JsonFile::read(path);
    switch (contents.status) {
    case JsonFile::Status::Missing:
        logInfo(QStringLiteral("Config file does not exist:") + path);
        return false;
    case JsonFile::Status::Unreadable:
        logWarning(QStringLiteral("Failed to open file for reading:") + path);
        return false;
    case JsonFile::Status::ParseError:
        logInfo(QStringLiteral("vrpath parseError:") + contents.error.errorString());
        return false;
    case JsonFile::Status::NotObject:
    case JsonFile::Status::Ok:
        break;
    }
    return true;
}

// Writes the edited file; false after logging what failed.
bool writeEdited(const QString &path, const QJsonObject &root)
{
    switch (JsonFile::write(path, root)) {
    case AtomicWriteResult::OpenFailed:
        logWarning(QStringLiteral("Failed to open file for writing:") + path);
        return false;
    case AtomicWriteResult::WriteFailed:
        logWarning(QStringLiteral("Failed to write to file:") + path);
        return false;
    case AtomicWriteResult::Written:
        break;
    }
    return true;
}

const QString kDrivers = QStringLiteral("external_drivers");

// The root of a file that must exist and be an object, or why not.
bool readObject(const QString &path, QJsonObject &root, QString *error)
{
    const JsonFile::Contents contents = JsonFile::read(path);
    if (contents.status == JsonFile::Status::Ok) {
        root = contents.root;
        return true;
    }
    if (error) {
        *error = contents.status == JsonFile::Status::Missing || contents.status == JsonFile::Status::Unreadable
            ? QStringLiteral("cannot read ") + path
            : QStringLiteral("not a JSON object: ") + path + QLatin1Char(' ') + contents.error.errorString();
    }
    return false;
}

bool writeObject(const QString &path, const QJsonObject &root, QString *error)
{
    QString why;
    if (JsonFile::write(path, root, &why) == AtomicWriteResult::Written)
        return true;
    if (error)
        *error = QStringLiteral("cannot write ") + path + QStringLiteral(": ") + why;
    return false;
}

} // namespace

bool DriverRegistration::set(const QString &driverDir, QString &runtimePath) const
{
    JsonFile::Contents contents;
    if (!readForEdit(m_path, contents))
        return false;
    if (contents.status == JsonFile::Status::NotObject) {
        logWarning(QStringLiteral("vrpath root is not an object, left unchanged:") + m_path);
        return false;
    }
    QJsonObject root = contents.root;
    const QJsonArray runtime = root.value(QStringLiteral("runtime")).toArray();
    if (!runtime.isEmpty())
        runtimePath = runtime.first().toString();
    root.insert(QStringLiteral("external_drivers"), QJsonArray { driverDir });
    if (!writeEdited(m_path, root))
        return false;
    logInfo(QStringLiteral("Successfully set external_drivers to:") + driverDir);
    return true;
}

void DriverRegistration::clear() const
{
    JsonFile::Contents contents;
    if (!readForEdit(m_path, contents))
        return;
    QJsonObject root = contents.root;
    if (contents.status == JsonFile::Status::NotObject || !root.contains(QStringLiteral("external_drivers"))) {
        logInfo(QStringLiteral("No external_drivers field found, nothing to clear"));
        return;
    }
    root.insert(QStringLiteral("external_drivers"), QJsonArray());
    if (writeEdited(m_path, root))
        logInfo(QStringLiteral("Successfully cleared external_drivers array (empty array)"));
}

bool DriverRegistration::has() const
{
    const JsonFile::Contents contents = JsonFile::read(m_path);
    if (contents.status != JsonFile::Status::Ok)
        return false;
    const QJsonValue drivers = contents.root.value(QStringLiteral("external_drivers"));
    return drivers.isArray() && !drivers.toArray().isEmpty();
}

QStringList DriverRegistration::drivers(bool *ok) const
{
    QJsonObject root;
    const bool read = readObject(m_path, root, nullptr);
    if (ok)
        *ok = read;
    QStringList entries;
    for (const QJsonValue &v : root.value(kDrivers).toArray())
        entries << v.toString();
    return entries;
}

bool DriverRegistration::replaceFolder(const QString &folder, const QString &replacement, QString *error) const
{
    QJsonObject root;
    if (!readObject(m_path, root, error))
        return false;
    QJsonArray out;
    bool placed = false;
    // A null or missing member (as SteamVR writes it) is an empty list.
    for (const QJsonValue &v : root.value(kDrivers).toArray()) {
        if (v.isString() && (samePath(v.toString(), folder) || samePath(v.toString(), replacement))) {
            if (!placed)
                out.append(replacement);
            placed = true;
            continue;
        }
        out.append(v);
    }
    if (!placed)
        out.append(replacement);
    root.insert(kDrivers, out);
    return writeObject(m_path, root, error);
}

bool DriverRegistration::removeFolder(const QString &folder, QString *error) const
{
    QJsonObject root;
    if (!readObject(m_path, root, error))
        return false;
    QJsonArray out;
    for (const QJsonValue &v : root.value(kDrivers).toArray()) {
        if (!(v.isString() && samePath(v.toString(), folder)))
            out.append(v);
    }
    root.insert(kDrivers, out);
    return writeObject(m_path, root, error);
}

QString DriverRegistration::normalised(QString path)
{
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

bool DriverRegistration::samePath(const QString &a, const QString &b)
{
    return normalised(a).compare(normalised(b), Qt::CaseInsensitive) == 0;
}
