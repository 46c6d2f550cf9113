// The import: file type from the extension, GPX through the real converter in a folder of
// its own, and route files as GPSBabel writes them.
#include "RouteFileFixtures.h"
#include "files/RouteFileReader.h"
#include "files/RouteImport.h"
#include "route/RouteState.h"
#include "route/RouteTable.h"

#include <QDir>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace fixtures;

class TestImport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void importsByExtension_data();
    void importsByExtension();
    void failuresChangeNothing_data();
    void failuresChangeNothing();

private:
    ImportOutcome import(const QString& path, const GpsBabelConverter& converter = {}) {
        return ImportRoute(path, *m_table, m_routeName, m_state, converter);
    }
    static QString data(const char* name) {
        return QStringLiteral(RV58_TEST_DATA "/") + QString::fromLatin1(name);
    }

    QScopedPointer<QTemporaryDir> m_tools;
    QScopedPointer<QTemporaryDir> m_dir;
    QScopedPointer<RouteTable> m_table;
    QString m_routeName;
    RouteState m_state;
};

void TestImport::initTestCase() {
    // A stand-in for a converter that hangs.
    m_tools.reset(new QTemporaryDir);
    const QString hangs = m_tools->filePath(QStringLiteral("hangs"));
    QVERIFY(writeFile(hangs, "#!/bin/sh\nexec sleep 30\n"));
    QVERIFY(QFile::setPermissions(hangs, QFile::ReadOwner | QFile::ExeOwner));
    QVERIFY2(!QStandardPaths::findExecutable(GpsBabelConverter::defaultProgram()).isEmpty(),
             "gpsbabel must be installed for these tests");
}

void TestImport::init() {
    m_dir.reset(new QTemporaryDir);
    m_table.reset(new RouteTable);
    m_table->setRowCount(10);
    m_table->writeHeaderRow();
    m_routeName.clear();
    m_state = RouteState();
}

void TestImport::importsByExtension_data() {
    QTest::addColumn<QString>("relative"); // where the file is put, below a fresh folder
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("routeName");
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("names"); // of the first rows
    QTest::newRow("first of two routes, .gpx")
        << "my routes/a trip.gpx" << readFile(data("two_routes.gpx")) << "Main river" << 3
        << QStringList{"GRT001", "MILL", "WEIR"};
    // GPSBabel writes the waypoints and the track beside the route into side files.
    QTest::newRow("route beside waypoints and a track, .Gpx")
        << "say \"hi\" 'there'/x.Gpx" << readFile(data("mixed.gpx")) << "Alp tour" << 2
        << QStringList{"START", "PASS"};
    // The converter writes 8-bit text.
    QTest::newRow("non-ASCII and byte-order mark, .GPX")
        << QStringLiteral("Fahrten/Küste ß.GPX")
        << readFile(data("names.gpx")).replace("Pier, north", "Pier north")
        << QStringLiteral("Küste") << 3
        << QStringList{QStringLiteral("Brücke"), "Pier north", "Ende"};
    QTest::newRow("124 points") << "routes/full.gpx" << readFile(data("full_124.gpx")) << "Full"
                                << 124 << QStringList{"P001"};
    QTest::newRow(".RTE in a .gpx folder")
        << ".hidden.gpx.d/\"quoted\" trip.RTE" << routeFile(2, "\r\n", "Alp tour") << "Alp tour"
        << 2 << QStringList{"WP1", "WP2"};
}

// The working folder holds a stale converter output of another route: it is neither taken
// for this import's result nor touched, and nothing is left beside it.
void TestImport::importsByExtension() {
    QFETCH(QString, relative);
    QFETCH(QByteArray, content);
    QFETCH(QString, routeName);
    QFETCH(int, count);
    QFETCH(QStringList, names);
    const QString path = m_dir->filePath(relative);
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QVERIFY(writeFile(path, content));
    const QString old = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    QVERIFY(writeFile(QStringLiteral("Default_temp.rte"), routeFile(2)));
    const ImportOutcome outcome = import(path);
    const QStringList left = QDir().entryList(QDir::Files);
    const QByteArray stale = readFile(QStringLiteral("Default_temp.rte"));
    QDir::setCurrent(old);
    QVERIFY2(outcome.ok, qPrintable(outcome.message + QLatin1Char(' ') + outcome.details));
    QCOMPARE(m_routeName, routeName);
    QCOMPARE(m_state.waypointCount(), count);
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(m_table->cell(RouteTable::ColName, i + 1), names.at(i));
    QCOMPARE(left, QStringList{QStringLiteral("Default_temp.rte")});
    QCOMPARE(stale, routeFile(2));
}

void TestImport::failuresChangeNothing_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("program"); // the converter; empty for gpsbabel
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("detail");
    const QString conversion = QStringLiteral("GPX-RTE conversion failed, rte file not found.");
    const QString format = QStringLiteral("Route File Format Error!");
    auto row = [](const char* tag, const QString& file, const QString& program,
                  const QString& message, const QString& detail) {
        QTest::newRow(tag) << file << program << message << detail;
    };
    const QString unknown = QStringLiteral("Unknow file type error.");
    row("no extension", "/r/trip", "", unknown, "");
    row("other extension after .gpx", "/r/trip.gpx.txt", "", unknown, "");
    row("missing route file", "/nonexistent/x.rte", "", "RTE file error.", "does not exist");
    row("more than 124 points", data("long_125.gpx"), "", format, "124");
    row("no route in the GPX file", data("no_route.gpx"), "", conversion, "no route");
    row("not a route file", data("not_a_route.rte"), "", format, "OziExplorer");
    // The converter writes a comma in a name as it stands, which moves the fields after it.
    row("comma in a name", data("names.gpx"), "", format, "latitude \" north\"");
    const QString gpx = data("mixed.gpx");
    row("converter not on PATH", gpx, "rv58-no-such-converter", conversion, "could not be started");
    row("converter exits with an error", gpx, "false", conversion, "status 1");
    row("converter hangs until the timeout", gpx, m_tools->filePath(QStringLiteral("hangs")),
        conversion, "did not finish");
    row("converter ends well but writes nothing", gpx, "true", conversion, "no route");
}

void TestImport::failuresChangeNothing() {
    QFETCH(QString, file);
    QFETCH(QString, program);
    QFETCH(QString, message);
    QFETCH(QString, detail);
    QVERIFY(import(data("two_routes.gpx")).ok);
    const QList<QByteArray> lines = m_state.RouteLineStore;
    const GpsBabelConverter converter =
        program.isEmpty() ? GpsBabelConverter() : GpsBabelConverter(program, 2000);
    QElapsedTimer timer;
    timer.start();
    const ImportOutcome outcome = import(file, converter);
    QVERIFY(timer.elapsed() < 10000);
    QVERIFY(!outcome.ok);
    QCOMPARE(outcome.message, message);
    QVERIFY2(outcome.details.contains(detail), qPrintable(outcome.details));
    QCOMPARE(m_routeName, QStringLiteral("Main river"));
    QCOMPARE(m_table->rows(), 4);
    QCOMPARE(m_state.RouteLineStore, lines);
}

QTEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"
