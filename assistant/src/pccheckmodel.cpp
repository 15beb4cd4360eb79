#include "pccheckmodel.h"

#include "pccheck.h"

PcCheckModel::PcCheckModel(QObject *parent)
    : QAbstractListModel(parent)
{
    for (const QString &id : PcCheck::ids()) {
        Row row;
        row.id = id;
        row.title = PcCheck::title(id);
        m_rows.append(row);
    }
}

int PcCheckModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.size();
}

QVariant PcCheckModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= m_rows.size())
        return QVariant();
    const Row &row = m_rows.at(index.row());
    switch (role) {
    case RowIdRole: return row.id;
    case Qt::DisplayRole:
    case TitleRole: return row.title;
    case StateRole: return row.state;
    case SentenceRole: return row.sentence;
    case FixLabelRole: return row.fixLabel;
    case BusyRole: return row.busy;
    default: return QVariant();
    }
}

QHash<int, QByteArray> PcCheckModel::roleNames() const
{
    return {{RowIdRole, "rowId"},       {TitleRole, "title"},       {StateRole, "state"},
            {SentenceRole, "sentence"}, {FixLabelRole, "fixLabel"}, {BusyRole, "busy"}};
}

const PcCheckModel::Row *PcCheckModel::row(const QString &id) const
{
    for (const Row &r : m_rows) {
        if (r.id == id)
            return &r;
    }
    return nullptr;
}

void PcCheckModel::update(const Row &row)
{
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].id == row.id) {
            m_rows[i] = row;
            emit dataChanged(index(i), index(i));
            return;
        }
    }
}
