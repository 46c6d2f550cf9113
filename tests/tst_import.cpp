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

    void fileTypeFromExtension_data();
    void fileTypeFromExtension();
    void importsGpsBabelRoutes_data();
    void importsGpsBabelRoutes();
    void refusesWithReasons_data();
    void refusesWithReasons();
    void converterFailuresChangeNothing_data();
    void converterFailuresChangeNothing();
    void leavesWorkingFolderAlone();
    void pathsWithAwkwardCharacters_data();
    void pathsWithAwkwardCharacters();

private:
    ImportOutcome import(const QString& path, const GpsBabelConverter& converter = {});
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
    // Stand-ins for a converter that hangs and for one that ends well but writes nothing.
    m_tools.reset(new QTemporaryDir);
    QVERIFY(writeFile(m_tools->filePath(QStringLiteral("hangs")), "#!/bin/sh\nexec sleep 30\n"));
    QVERIFY(writeFile(m_tools->filePath(QStringLiteral("silent")), "#!/bin/sh\nexit 0\n"));
    for (const char* name : {"hangs", "silent"})
        QVERIFY(QFile::setPermissions(m_tools->filePath(QString::fromLatin1(name)),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
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

ImportOutcome TestImport::import(const QString& path, const GpsBabelConverter& converter) {
    return ImportRoute(path, *m_table, m_routeName, m_state, converter);
}

void TestImport::fileTypeFromExtension_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("type");
    QTest::newRow("gpx") << "/r/trip.gpx" << int(RouteFileType::Gpx);
    QTest::newRow("GPX") << "/r/trip.GPX" << int(RouteFileType::Gpx);
    QTest::newRow("mixed case") << "/r/trip.Gpx" << int(RouteFileType::Gpx);
    QTest::newRow("rte") << "C:\\data\\Route.RTE" << int(RouteFileType::Rte);
    QTest::newRow("folder with .gpx") << "/my.gpx.files/a.rte" << int(RouteFileType::Rte);
    QTest::newRow("no extension") << "/r/trip" << int(RouteFileType::Unknown);
    QTest::newRow("other") << "/r/trip.gpx.txt" << int(RouteFileType::Unknown);
}

void TestImport::fileTypeFromExtension() {
    QFETCH(QString, path);
    QFETCH(int, type);
    QCOMPARE(int(FileTypeOf(path)), type);
}

void TestImport::importsGpsBabelRoutes_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("routeName");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("first of two routes")
        << data("two_routes.gpx") << "Main river" << QStringList{"GRT001", "MILL", "WEIR"};
    QTest::newRow("route beside waypoints and a track")
        << data("mixed.gpx") << "Alp tour" << QStringList{"START", "PASS"};
    // The converter writes 8-bit text; a comma in a name splits the field.
    QTest::newRow("non-ASCII, comma and byte-order mark")
        << data("names.gpx") << QString::fromLatin1("K\xfcste")
        << QStringList{QString::fromLatin1("Br\xfc"
                                           "cke"),
                       "Pier", "Ende"};
    QTest::newRow("124 points") << data("full_124.gpx") << "Full" << QStringList{};
}

void TestImport::importsGpsBabelRoutes() {
    QFETCH(QString, file);
    QFETCH(QString, routeName);
    QFETCH(QStringList, names);
    const ImportOutcome outcome = import(file);
    QVERIFY2(outcome.ok, qPrintable(outcome.message + QLatin1Char(' ') + outcome.details));
    QCOMPARE(m_routeName, routeName);
    if (names.isEmpty())
        QCOMPARE(m_state.waypointCount(), 124);
    else
        QCOMPARE(m_state.waypointCount(), int(names.size()));
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(m_table->cell(RouteTable::ColName, i + 1), names.at(i));
}

void TestImport::refusesWithReasons_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("detail");
    QTest::newRow("unknown type") << "/tmp/x.txt"
                                  << "Unknow file type error."
                                  << "";
    QTest::newRow("missing route file") << "/nonexistent/x.rte"
                                        << "RTE file error."
                                        << "does not exist";
    QTest::newRow("more than 124 points") << data("long_125.gpx") << "Route File Format Error!"
                                          << "124";
    QTest::newRow("no route in the GPX file")
        << data("no_route.gpx") << "GPX-RTE conversion failed, rte file not found."
        << "no route";
    QTest::newRow("not a route file") << data("not_a_route.rte") << "Route File Format Error!"
                                      << "OziExplorer";
}

void TestImport::refusesWithReasons() {
    QFETCH(QString, file);
    QFETCH(QString, message);
    QFETCH(QString, detail);
    const ImportOutcome outcome = import(file);
    QVERIFY(!outcome.ok);
    QCOMPARE(outcome.message, message);
    QVERIFY2(outcome.details.contains(detail), qPrintable(outcome.details));
    QCOMPARE(m_table->rows(), 10); // nothing taken over
}

void TestImport::converterFailuresChangeNothing_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("detail");
    QTest::newRow("not on PATH") << "rv58-no-such-converter"
                                 << "could not be started";
    QTest::newRow("exits with an error") << "false"
                                         << "status 1";
    QTest::newRow("hangs until the timeout") << "hangs"
                                             << "did not finish";
    QTest::newRow("writes no route file") << "silent"
                                          << "no route";
}

void TestImport::converterFailuresChangeNothing() {
    QFETCH(QString, program);
    QFETCH(QString, detail);
    QVERIFY(import(data("two_routes.gpx")).ok);
    const QList<QByteArray> lines = m_state.RouteLineStore;
    const QString tool = m_tools->filePath(program);
    QElapsedTimer timer;
    timer.start();
    const ImportOutcome outcome =
        import(data("mixed.gpx"), GpsBabelConverter(QFile::exists(tool) ? tool : program, 2000));
    QVERIFY(timer.elapsed() < 10000);
    QVERIFY(!outcome.ok);
    QCOMPARE(outcome.message, QStringLiteral("GPX-RTE conversion failed, rte file not found."));
    QVERIFY2(outcome.details.contains(detail), qPrintable(outcome.details));
    QCOMPARE(m_routeName, QStringLiteral("Main river"));
    QCOMPARE(m_state.RouteLineStore, lines);
}

void TestImport::leavesWorkingFolderAlone() {
    const QString old = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    QVERIFY(writeFile(QStringLiteral("Default_temp.rte"), routeFile(2)));
    const ImportOutcome outcome = import(data("mixed.gpx"));
    const QStringList left = QDir().entryList(QDir::Files);
    const QByteArray mine = readFile(QStringLiteral("Default_temp.rte"));
    QDir::setCurrent(old);
    QVERIFY(outcome.ok);
    QCOMPARE(m_routeName, QStringLiteral("Alp tour")); // not the stale file's route
    QCOMPARE(left, QStringList{QStringLiteral("Default_temp.rte")});
    QCOMPARE(mine, routeFile(2));
}

void TestImport::pathsWithAwkwardCharacters_data() {
    QTest::addColumn<QString>("relative");
    QTest::newRow("spaces") << "my routes/a trip.gpx";
    QTest::newRow("quotes") << "say \"hi\" 'there'/x.gpx";
    QTest::newRow("non-ASCII") << QString::fromUtf8("Fahrten/Küste ß.gpx");
    QTest::newRow("dot folder") << ".hidden.gpx.d/trip.GPX";
    QTest::newRow("route file") << "my routes/\"quoted\" trip.RTE";
}

void TestImport::pathsWithAwkwardCharacters() {
    QFETCH(QString, relative);
    const QString path = m_dir->filePath(relative);
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    if (FileTypeOf(path) == RouteFileType::Rte)
        QVERIFY(writeFile(path, routeFile(2, "\r\n", "Alp tour")));
    else
        QVERIFY(QFile::copy(data("mixed.gpx"), path));
    const ImportOutcome outcome = import(path);
    QVERIFY2(outcome.ok, qPrintable(outcome.details));
    QCOMPARE(m_routeName, QStringLiteral("Alp tour"));
    QCOMPARE(m_state.waypointCount(), 2);
}

QTEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"
