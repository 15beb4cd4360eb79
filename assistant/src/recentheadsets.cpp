#include "recentheadsets.h"
#include "atomicfile.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

QStringList RecentHeadsets::read() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(file.readAll());
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char(';'));
}

void RecentHeadsets::write(const QStringList &names) const
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QString error;
    if (writeFileAtomically(m_path, names.join(QLatin1Char(';')).toUtf8(), &error) != AtomicWriteResult::Written)
        qWarning().noquote() << QStringLiteral("setting.inf write failed: ") + m_path + QStringLiteral(" ") + error;
}
