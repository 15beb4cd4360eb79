#include "driverregistration.h"

#include "atomicfile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString kDrivers = QStringLiteral("external_drivers");

QString normalised(QString path)
{
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

bool samePath(const QString &a, const QString &b)
{
    return normalised(a).compare(normalised(b), Qt::CaseInsensitive) == 0;
}

bool readRoot(const QString &file, QJsonObject &root, QString *error)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot read ") + file;
        return false;
    }
    QJsonParseError parse{};
    const QJsonDocument document = QJsonDocument::fromJson(in.readAll(), &parse);
    if (parse.error != QJsonParseError::NoError || !document.isObject()) {
        if (error)
            *error = QStringLiteral("not a JSON object: ") + file + QStringLiteral(" ") + parse.errorString();
        return false;
    }
    root = document.object();
    return true;
}

bool writeRoot(const QString &file, const QJsonObject &root, QString *error)
{
    QString why;
    if (writeFileAtomically(file, QJsonDocument(root).toJson(QJsonDocument::Indented), &why)
        != AtomicWriteResult::Written) {
        if (error)
            *error = QStringLiteral("cannot write ") + file + QStringLiteral(": ") + why;
        return false;
    }
    return true;
}

} // namespace

QStringList DriverRegistration::registeredDrivers(const QString &vrpathFile, bool *ok)
{
    QJsonObject root;
    const bool read = readRoot(vrpathFile, root, nullptr);
    if (ok)
        *ok = read;
    QStringList drivers;
    for (const QJsonValue &v : root.value(kDrivers).toArray())
        drivers << v.toString();
    return drivers;
}

bool DriverRegistration::replaceDriverFolder(const QString &vrpathFile, const QString &folder,
                                             const QString &replacement, QString *error)
{
    QJsonObject root;
    if (!readRoot(vrpathFile, root, error))
        return false;
    QJsonArray out;
    bool placed = false;
    // A null or missing member (as SteamVR writes it) is an empty list.
    for (const QJsonValue &v : root.value(kDrivers).toArray()) {
        const QString entry = v.toString();
        if (v.isString() && (samePath(entry, folder) || samePath(entry, replacement))) {
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
    return writeRoot(vrpathFile, root, error);
}

bool DriverRegistration::removeDriverFolder(const QString &vrpathFile, const QString &folder, QString *error)
{
    QJsonObject root;
    if (!readRoot(vrpathFile, root, error))
        return false;
    QJsonArray out;
    for (const QJsonValue &v : root.value(kDrivers).toArray()) {
        if (!(v.isString() && samePath(v.toString(), folder)))
            out.append(v);
    }
    root.insert(kDrivers, out);
    return writeRoot(vrpathFile, root, error);
}
