// The headset list model: rows from the streamer's list, reversed, without
// nameless entries, with the recent flag; every refill a full reset.
#include "vrlistmodel.h"

#include <QSignalSpy>
#include <QtTest>

class TestVRListModel : public QObject
{
    Q_OBJECT

private:
    static HmdInfo hmd(const QString &name, const QString &ip, bool connected)
    {
        return HmdInfo { name, ip, connected };
    }

    static QVariant cell(const VRListModel &model, int row, const QByteArray &roleName)
    {
        return model.data(model.index(row, 0), model.roleNames().key(roleName));
    }

private slots:
    void rolesAreTheFourNames()
    {
        VRListModel model;
        const QHash<int, QByteArray> roles = model.roleNames();
        QCOMPARE(roles.size(), 4);
        QCOMPARE(roles.value(Qt::UserRole), QByteArray("vrState"));
        QCOMPARE(roles.value(Qt::UserRole + 1), QByteArray("vrName"));
        QCOMPARE(roles.value(Qt::UserRole + 2), QByteArray("ip"));
        QCOMPARE(roles.value(Qt::UserRole + 3), QByteArray("isRecent"));
    }

    void theEmptyEntryOfNoStreamerGivesNoRows()
    {
        VRListModel model;
        model.updateList({ HmdInfo() }, { QString() });
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.firstName(), QString());
    }

    void rowsAreReversedAndNamelessEntriesSkipped()
    {
        VRListModel model;
        model.updateList({ hmd("Alpha", "192.168.0.7", true), hmd("", "192.168.0.9", false),
                           hmd("Beta", "192.168.0.8", false) },
                         {});
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.firstName(), QString("Beta"));
        QCOMPARE(cell(model, 0, "vrName").toString(), QString("Beta"));
        QCOMPARE(cell(model, 0, "ip").toString(), QString("192.168.0.8"));
        QCOMPARE(cell(model, 0, "vrState").toBool(), false);
        QCOMPARE(cell(model, 1, "vrName").toString(), QString("Alpha"));
        QCOMPARE(cell(model, 1, "vrState").toBool(), true);
        QCOMPARE(cell(model, 1, "vrState").userType(), int(QMetaType::Bool));
    }

    void recentOnlyOnAnExactMatch()
    {
        VRListModel model;
        model.updateList({ hmd("Alpha", "1.1.1.1", false), hmd("beta", "1.1.1.2", false), hmd("Gamma", "1.1.1.3", false) },
                         { "Alpha", "Beta", "Gam" });
        QCOMPARE(cell(model, 2, "isRecent").toBool(), true);   // Alpha
        QCOMPARE(cell(model, 1, "isRecent").toBool(), false);  // beta against Beta
        QCOMPARE(cell(model, 0, "isRecent").toBool(), false);  // Gamma against Gam
    }

    void dataOutsideTheRowsOrRolesIsInvalid()
    {
        VRListModel model;
        model.updateList({ hmd("Alpha", "1.1.1.1", false) }, {});
        QVERIFY(!model.data(QModelIndex(), Qt::UserRole).isValid());
        QVERIFY(!model.data(model.index(1, 0), Qt::UserRole).isValid());
        QVERIFY(!model.data(model.index(-1, 0), Qt::UserRole).isValid());
        QVERIFY(!model.data(model.index(0, 0), Qt::UserRole + 4).isValid());
        QVERIFY(!model.data(model.index(0, 0), Qt::DisplayRole).isValid());
        QCOMPARE(model.rowCount(model.index(0, 0)), 0);
    }

    void everyRefillResetsTheModel()
    {
        VRListModel model;
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        const QVector<HmdInfo> list { hmd("Alpha", "1.1.1.1", false) };
        model.updateList(list, {});
        model.updateList(list, {});
        QCOMPARE(resets.count(), 2);
        model.updateList({}, {});
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(resets.count(), 3);
    }
};

QTEST_GUILESS_MAIN(TestVRListModel)
#include "tst_vrlistmodel.moc"
