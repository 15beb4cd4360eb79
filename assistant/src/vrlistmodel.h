#pragma once

#include "hmdinfo.h"

#include <QAbstractListModel>
#include <QList>
#include <QStringList>
#include <QVector>

// The headsets the streamer reports, for the lists of the streaming page and
// of the page for several headsets. Rows are in the reverse order of the
// streamer's list; nameless entries are left out.
class VRListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Roles { VrStateRole = Qt::UserRole, VrNameRole, IpRole, IsRecentRole };

    explicit VRListModel(QObject *parent = nullptr);
    ~VRListModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Replaces every row (a full model reset, also when nothing changed).
    void updateList(QVector<HmdInfo> list, QStringList recentNames);
    // Name of row 0, or an empty text without rows.
    QString firstName() const;

private:
    struct Row {
        bool vrState = false;
        QString vrName;
        QString ip;
        bool isRecent = false;
    };

    QList<Row *> m_rows;
};
