#pragma once

#include <QString>
#include <QStringList>

// setting.inf: the names of headsets connected before, most recent first,
// separated by ";" in UTF-8 without a line end.
class RecentHeadsets {
public:
    explicit RecentHeadsets(const QString &path) : m_path(path) {}

    QStringList read() const;
    void write(const QStringList &names) const;
    QString path() const { return m_path; }

private:
    QString m_path;
};
