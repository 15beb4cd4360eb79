#include "gputable.h"
#include "jsonfile.h"
#include "qualitytable.h"

#include <QDebug>
#include <QJsonArray>
#include <QRegularExpression>
#include <QStringList>

namespace {

// The table's root; false (after logging a parse error) when there is none.
bool readTable(const QString &path, QJsonObject &root)
{
    const JsonFile::Contents contents = JsonFile::read(path);
    if (contents.status == JsonFile::Status::ParseError)
        qInfo().noquote() << QStringLiteral("compare json parseError: ") + QString::number(contents.error.error);
    if (contents.status != JsonFile::Status::Ok && contents.status != JsonFile::Status::NotObject)
        return false;
    root = contents.root;
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

bool containsAny(const QString &name, const QJsonObject &classes, const char *tier)
{
    for (const QString &entry : tableEntries(classes.value(QLatin1String(tier)))) {
        if (name.contains(entry, Qt::CaseSensitive))
            return true;
    }
    return false;
}

} // namespace

int GpuTable::hardwareScore(const QString &cpuName, const QString &gpuName) const
{
    QJsonObject root;
    if (!readTable(m_path, root))
        return 0;
    int cpuScore = 0;
    if (root.contains(QStringLiteral("cpu"))) {
        const QJsonObject cpu = root.value(QStringLiteral("cpu")).toObject();
        cpuScore = containsAny(cpuName, cpu, "mid") ? 4 : containsAny(cpuName, cpu, "low") ? 1 : 0;
    }
    int gpuScore = 0;
    if (root.contains(QStringLiteral("graphics"))) {
        const QJsonObject graphics = root.value(QStringLiteral("graphics")).toObject();
        gpuScore = containsAny(gpuName, graphics, "high") ? 8 : containsAny(gpuName, graphics, "mid") ? 4 : 0;
    }
    qInfo().noquote() << QStringLiteral("hardware: %1 %2").arg(cpuScore).arg(gpuScore);
    return cpuScore + gpuScore;
}

bool GpuTable::hasAv1Gpu(const QString &gpuName) const
{
    QJsonObject root;
    if (!readTable(m_path, root) || !root.contains(QStringLiteral("graphics")))
        return false;
    static const QRegularExpression series(QStringLiteral("RTX\\s*(\\d{4})"));
    const QJsonObject graphics = root.value(QStringLiteral("graphics")).toObject();
    for (const QString &entry : tableEntries(graphics.value(QStringLiteral("high")))) {
        if (!gpuName.contains(entry, Qt::CaseSensitive) || !entry.startsWith(QLatin1String("RTX")))
            continue;
        const QRegularExpressionMatch match = series.match(entry);
        if (match.hasMatch() && match.captured(1).toInt() >= QualityTable::kFirstAv1Series)
            return true;
    }
    return false;
}

bool GpuTable::isNvidia(const QString &gpuName)
{
    return gpuName.contains(QLatin1String("nvidia"), Qt::CaseInsensitive);
}
