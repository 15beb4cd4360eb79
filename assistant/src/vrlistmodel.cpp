#include "vrlistmodel.h"

VRListModel::VRListModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

VRListModel::~VRListModel()
{
    qDeleteAll(m_rows);
}

int VRListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

QVariant VRListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= m_rows.size())
        return QVariant();
    const Row *row = m_rows.at(index.row());
    switch (role) {
    case VrStateRole:
        return row->vrState;
    case VrNameRole:
        return row->vrName;
    case IpRole:
        return row->ip;
    case IsRecentRole:
        return row->isRecent;
    default:
        return QVariant();
    }
}

QHash<int, QByteArray> VRListModel::roleNames() const
{
    return { { VrStateRole, "vrState" }, { VrNameRole, "vrName" }, { IpRole, "ip" }, { IsRecentRole, "isRecent" } };
}

void VRListModel::updateList(QVector<HmdInfo> list, QStringList recentNames)
{
    beginResetModel();
    qDeleteAll(m_rows);
    m_rows.clear();
    for (const HmdInfo &entry : list) {
        if (entry.name.isEmpty())
            continue;
        // Each row goes to the front: the streamer's last headset is row 0.
        m_rows.prepend(new Row { entry.connected, entry.name, entry.ip,
                                 recentNames.contains(entry.name, Qt::CaseSensitive) });
    }
    endResetModel();
}

QString VRListModel::firstName() const
{
    return m_rows.isEmpty() ? QString() : m_rows.first()->vrName;
}
