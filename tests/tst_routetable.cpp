// The route table as the one store of cells, and its view as a Qt model.
#include "route/RouteTable.h"

#include <QSignalSpy>
#include <QtTest>

class TestRouteTable : public QObject {
    Q_OBJECT
private slots:
    void cellsLiveInsideTheTableOnly();
    void headerRowIsTheModelHeader();
};

void TestRouteTable::cellsLiveInsideTheTableOnly() {
    RouteTable t;
    t.setColumnCount(8);
    t.setRowCount(10);
    QCOMPARE(t.cell(3, 4), QString());
    QCOMPARE(t.cell(-1, 0), QString());
    t.setCell(30, 40, QStringLiteral("x")); // outside: dropped
    QCOMPARE(t.cell(30, 40), QString());
    t.setCell(1, 2, QStringLiteral("A"));
    t.setCell(1, 9, QStringLiteral("B"));
    t.setColumnCount(22);
    t.setRowCount(5);
    t.setRowCount(10);
    QCOMPARE(t.cell(1, 2), QStringLiteral("A"));
    QCOMPARE(t.cell(1, 9), QString()); // gone once cut off
}

void TestRouteTable::headerRowIsTheModelHeader() {
    RouteTable t;
    t.setRowCount(10);
    t.writeHeaderRow();
    const QStringList expected = QStringLiteral("NO|WPT Name|Latitude|Longitude|Date|Icon|"
                                                "Leg Dist.|Total Dist.")
                                     .split(QLatin1Char('|'));
    QCOMPARE(t.columns(), 8);
    for (int c = 0; c < 8; ++c) {
        QCOMPARE(t.cell(c, 0), expected.at(c));
        QCOMPARE(t.headerData(c, Qt::Horizontal).toString(), expected.at(c));
    }
    QCOMPARE(t.rowCount(), 9);
    QSignalSpy changed(&t, &QAbstractItemModel::dataChanged);
    t.setCell(1, 1, QStringLiteral("WPT1"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(t.data(t.index(0, 1)).toString(), QStringLiteral("WPT1"));
}

QTEST_GUILESS_MAIN(TestRouteTable)
#include "tst_routetable.moc"
