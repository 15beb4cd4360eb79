#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QList>
#include <QString>

// The rows of "Check my PC", one per check, for the page to bind to.
class PcCheckModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role { RowIdRole = Qt::UserRole + 1, TitleRole, StateRole, SentenceRole, FixLabelRole, BusyRole };
    // The state role before a check's first result.
    static constexpr int kNoResult = -1;

    struct Row {
        QString id;
        QString title;
        int state = kNoResult;
        QString sentence;
        QString fixLabel;
        bool busy = false;
    };

    explicit PcCheckModel(QObject *parent = nullptr);
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    const Row *row(const QString &id) const;
    void update(const Row &row);

private:
    QList<Row> m_rows;
};
