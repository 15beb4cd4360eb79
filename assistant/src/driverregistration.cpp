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
