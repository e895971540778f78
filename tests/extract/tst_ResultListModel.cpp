#include "ResultListModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class tst_ResultListModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void appendAndContains();
    void batchedInsertsReachViews();
    void clearForgetsRowsAndIndex();
    void checks_data();
    void checks();
    void checkStateThroughTheModel();
    void manyRows();
    void indexFollowsRowsAddedAfterAQuestion();
    void repeatedTextsStayFindable();
};

void tst_ResultListModel::appendAndContains()
{
    ResultListModel model;
    QAbstractItemModelTester tester(&model);
    QVERIFY(!model.contains(QString()));
    model.append(u"Alpha"_s);
    model.append(u"beta"_s);
    model.append(u"Alpha"_s);
    model.append(QString());
    QCOMPARE(model.count(), 4);
    QCOMPARE(model.texts(), (QStringList {u"Alpha"_s, u"beta"_s, u"Alpha"_s, QString()}));
    QVERIFY(model.contains(u"Alpha"_s));
    QVERIFY(model.contains(QString()));
    QVERIFY(!model.contains(u"alpha"_s)); // letter case counts
    QVERIFY(!model.contains(u"Alph"_s));
    QCOMPARE(model.text(1), u"beta"_s);
    model.append(u"Gr\u00fc\u00dfe \U0001F600"_s);
    QVERIFY(model.contains(u"Gr\u00fc\u00dfe \U0001F600"_s));
    QVERIFY(!model.contains(u"Gr\u00fc\u00dfe"_s));
    QCOMPARE(model.text(4), u"Gr\u00fc\u00dfe \U0001F600"_s);
    QVERIFY(!model.checked(1)); // rows arrive unticked
}

void tst_ResultListModel::batchedInsertsReachViews()
{
    ResultListModel model;
    QAbstractItemModelTester tester(&model);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    for (int row = 0; row < 1000; ++row)
        model.append(QString::number(row));
    QCOMPARE(model.rowCount(), 0); // not yet announced, but already counted and searchable
    QVERIFY(model.contains(u"999"_s));
    QTRY_COMPARE(model.rowCount(), 1000);
    QCOMPARE(inserted.size(), 1);
    QCOMPARE(inserted.first().at(1).toInt(), 0);
    QCOMPARE(inserted.first().at(2).toInt(), 999);

    model.append(u"late"_s);
    model.flushPendingRows();
    QCOMPARE(model.rowCount(), 1001);
    QCOMPARE(model.data(model.index(1000)).toString(), u"late"_s);
    QCOMPARE(inserted.size(), 2);
    model.flushPendingRows(); // nothing new: no empty insert
    QCOMPARE(inserted.size(), 2);
}

void tst_ResultListModel::clearForgetsRowsAndIndex()
{
    ResultListModel model;
    QAbstractItemModelTester tester(&model);
    model.append(u"a"_s);
    model.flushPendingRows();
    model.append(u"pending"_s);
    model.setChecked(0, true);
    model.clear();
    QCOMPARE(model.count(), 0);
    QCOMPARE(model.rowCount(), 0);
    QVERIFY(!model.contains(u"a"_s));
    QVERIFY(!model.contains(u"pending"_s));
    QTest::qWait(0); // a stale flush must not announce rows that are gone
    QCOMPARE(model.rowCount(), 0);
    model.append(u"a"_s);
    QVERIFY(!model.checked(0));
    QTRY_COMPARE(model.rowCount(), 1);
}

void tst_ResultListModel::checks_data()
{
    QTest::addColumn<qsizetype>("first");
    QTest::addColumn<qsizetype>("last");
    QTest::addColumn<QList<bool>>("states");

    using B = QList<bool>;
    QTest::newRow("one row") << qsizetype(2) << qsizetype(2) << B {0, 0, 1, 0, 0};
    QTest::newRow("a range") << qsizetype(1) << qsizetype(3) << B {0, 1, 1, 1, 0};
    QTest::newRow("clamped to the list") << qsizetype(-5) << qsizetype(99) << B {1, 1, 1, 1, 1};
    QTest::newRow("reversed range ticks nothing")
        << qsizetype(3) << qsizetype(1) << B {0, 0, 0, 0, 0};
    QTest::newRow("beyond the end") << qsizetype(5) << qsizetype(9) << B {0, 0, 0, 0, 0};
}

void tst_ResultListModel::checks()
{
    QFETCH(qsizetype, first);
    QFETCH(qsizetype, last);
    QFETCH(QList<bool>, states);
    ResultListModel model;
    QAbstractItemModelTester tester(&model);
    for (int row = 0; row < 5; ++row)
        model.append(QString::number(row));
    model.flushPendingRows();
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.setRangeChecked(first, last, true);
    QCOMPARE(model.checkStates(), states);
    QCOMPARE(changed.size(), states.contains(true) ? 1 : 0);

    model.setAllChecked(true);
    QCOMPARE(model.checkStates(), QList<bool>(5, true));
    model.setAllChecked(false);
    QCOMPARE(model.checkStates(), QList<bool>(5, false));
}

void tst_ResultListModel::checkStateThroughTheModel()
{
    ResultListModel model;
    QAbstractItemModelTester tester(&model);
    model.append(u"row"_s);
    model.flushPendingRows();
    const QModelIndex index = model.index(0);
    QVERIFY(model.flags(index).testFlag(Qt::ItemIsUserCheckable));
    QCOMPARE(model.data(index, Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Unchecked);
    QVERIFY(model.setData(index, Qt::Checked, Qt::CheckStateRole));
    QVERIFY(model.checked(0));
    QCOMPARE(model.data(index, Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    QVERIFY(!model.setData(index, u"new text"_s, Qt::EditRole)); // texts are not editable
    QCOMPARE(model.text(0), u"row"_s);
}

void tst_ResultListModel::manyRows()
{
    ResultListModel model;
    const int rows = 1'000'000;
    for (int row = 0; row < rows; ++row)
        model.append(QString::number(row % 500'000));
    model.flushPendingRows();
    QCOMPARE(model.rowCount(), rows);
    QVERIFY(model.contains(u"499999"_s));
    QVERIFY(!model.contains(u"500000"_s));
    model.setChecked(rows - 1, true);
    QVERIFY(model.checked(rows - 1));
}

void tst_ResultListModel::indexFollowsRowsAddedAfterAQuestion()
{
    ResultListModel model;
    QVERIFY(!model.contains(u"0"_s)); // asked while empty
    // Enough rows between questions to grow the index several times over.
    for (int row = 0; row < 5000; ++row) {
        model.append(QString::number(row));
        if (row % 1000 == 0)
            QVERIFY(model.contains(QString::number(row)));
    }
    for (int row = 0; row < 5000; ++row)
        QVERIFY2(model.contains(QString::number(row)), qPrintable(QString::number(row)));
    QVERIFY(!model.contains(u"5000"_s));
    model.clear();
    QVERIFY(!model.contains(u"0"_s));
    model.append(u"after clearing"_s);
    QVERIFY(model.contains(u"after clearing"_s));
}

void tst_ResultListModel::repeatedTextsStayFindable()
{
    // Mail bodies repeat texts (empty lines above all) thousands of times.
    ResultListModel model;
    for (int row = 0; row < 20'000; ++row) {
        model.append(QString());
        model.append(u"-- "_s);
        if (row % 100 == 0)
            model.append(u"distinct %1"_s.arg(row));
    }
    QVERIFY(model.contains(QString()));
    QVERIFY(model.contains(u"-- "_s));
    QVERIFY(model.contains(u"distinct 19900"_s));
    QVERIFY(!model.contains(u"distinct 19901"_s));
    QVERIFY(!model.contains(u"--"_s));
    QCOMPARE(model.count(), 40'200);
}

QTEST_GUILESS_MAIN(tst_ResultListModel)
#include "tst_ResultListModel.moc"
