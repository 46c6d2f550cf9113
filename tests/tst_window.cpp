// The main window driven as a user drives it: clicks go through the application's event
// delivery (so escaping errors reach the top-level report), and a script answers every
// dialog and keeps what would have been shown.
#include "app/ApplicationTitle.h"
#include "app/Dialogs.h"
#include "app/ErrorReportingApplication.h"
#include "app/TForm1.h"
#include "route/RouteTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

QString S(const char* latin1) {
    return QString::fromLatin1(latin1);
}

class ScriptedDialogs : public Dialogs {
public:
    struct Shown {
        QString text, details;
        bool busyPointer; // the wait pointer was still on when the box came up
    };
    QStringList openAnswers, saveAnswers, openFilters, saveProposals, saveFilters;
    QList<Shown> messages;
    QStringList errorReports;

    QString getOpenFileName(const QString& filter) override {
        openFilters << filter;
        return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
    }
    QString getSaveFileName(const QString& proposedName, const QString& filter) override {
        saveProposals << proposedName;
        saveFilters << filter;
        return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
    }
    void message(const QString& text, const QString& details) override {
        messages.append({text, details, QApplication::overrideCursor() != nullptr});
    }
    void errorReport(const QString& text) override { errorReports << text; }
};

const QByteArray GoodRoute =
    "OziExplorer Route File Version 1.0\r\nWGS 84\r\n"
    "Reserved 1\r\nReserved 2\r\n"
    "R,  0,MYROUTE,,\r\n"
    "W,  1,  1,  1,WPT001, 50.000000,   8.000000,40000.00000,  0, 1, 3\r\n"
    "W,  1,  2,  2,WPT002, 50.000000,   8.014000,40000.00000,  3, 1, 3\r\n"
    "W,  1,  3,  3,WPT003, 50.009000,   8.014000,40000.00000, 12, 1, 3\r\n";

const QByteArray GpxRoute = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"test\" "
                            "xmlns=\"http://www.topografix.com/GPX/1/1\">\n<rte><name>TRIP</name>\n"
                            "<rtept lat=\"48.1\" lon=\"11.5\"><name>ALPHA</name></rtept>\n"
                            "<rtept lat=\"48.11\" lon=\"11.52\"><name>BRAVO</name></rtept>\n"
                            "</rte>\n</gpx>\n";

} // namespace

class TestWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startUpState();
    void applicationTitle_data();
    void applicationTitle();
    void errorReportFullStop_data();
    void errorReportFullStop();

    void loadShowsTheRoute();
    void importMessages_data();
    void importMessages();
    void refusedFileKeepsLoadedRoute();
    void gpxConvertedThroughConverter();
    void rowLoadErrorIsReportedAndWindowRuns();
    void badIconCellReportedOncePerText();
    void selectAndAcceptThroughTheEditor();

    void saveRouteNameMessages_data();
    void saveRouteNameMessages();
    void saveOutcomes_data();
    void saveOutcomes();
    void unitSwitchReformatsRouteLength();
    void droppedFileLoadsLikeLoadRoute();
    void gpxToDeviceRouteEndToEnd();
    void windowAndCommandLineWriteTheSameBytes();

private:
    template <class T> T* get(const char* name) {
        T* control = m_form->control<T>(S(name));
        if (!control)
            qFatal("no control %s", name);
        return control;
    }
    QString writeFile(const QString& name, const QByteArray& bytes);
    void load(const QString& path) {
        m_dialogs->openAnswers << path;
        QTest::mouseClick(get<QPushButton>("Button_Browse"), Qt::LeftButton);
    }
    void click(const char* button) { QTest::mouseClick(get<QPushButton>(button), Qt::LeftButton); }
    bool editingEnabled() {
        return get<QFrame>("Panel1")->isEnabled() &&
               get<QTableView>("StringGrid_Data")->isEnabled() &&
               get<QPushButton>("Button_save_rte")->isEnabled();
    }
    QString cell(int column, int row) { return m_form->routeTable().cell(column, row); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<TForm1> m_form;
};

void TestWindow::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    static_cast<ErrorReportingApplication*>(qApp)->setDialogs(m_dialogs.get());
    m_form = std::make_unique<TForm1>();
    m_form->setDialogs(m_dialogs.get());
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
}

void TestWindow::cleanup() {
    m_form.reset();
    static_cast<ErrorReportingApplication*>(qApp)->setDialogs(nullptr);
}

QString TestWindow::writeFile(const QString& name, const QByteArray& bytes) {
    const QString path = m_dir->filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write test file");
    return path;
}

void TestWindow::startUpState() {
    QCOMPARE(m_form->windowTitle(), S("RV-58 GPX-Route Converter V0.5(B1009T)"));
    QCOMPARE(m_form->minimumSize(), QSize(578, 664));
    QCOMPARE(m_form->maximumSize(), QSize(578, 664));
    QVERIFY(!(m_form->windowFlags() & Qt::WindowMaximizeButtonHint));
    const QStringList headers = {S("NO"),   S("WPT Name"), S("Latitude"),  S("Longitude"),
                                 S("Date"), S("Icon"),     S("Leg Dist."), S("Total Dist.")};
    const int widths[] = {64, 77, 90, 90, 3, 53, 73, 64};
    auto* grid = get<QTableView>("StringGrid_Data");
    for (int c = 0; c < headers.size(); ++c) {
        QCOMPARE(cell(c, 0), headers.at(c));
        QCOMPARE(grid->columnWidth(c), widths[c]);
    }
    QCOMPARE(m_form->routeTable().rows(), 10);
    QCOMPARE(get<QLabel>("Label_total_wpt")->text(), S("0"));
    QCOMPARE(get<QLabel>("Label_route_len")->text(), S("0.00 miles"));
    QCOMPARE(m_form->unitIndex(), 1);
    QCOMPARE(get<QComboBox>("ComboBox_wpt_icon")->currentIndex(), -1);
    QCOMPARE(get<QComboBox>("ComboBox_wpt_icon")->currentText(), S(" "));
    QVERIFY(get<QCheckBox>("CheckBox_ICON_CHANGE_MACRO")->isChecked());
    QVERIFY(!get<QCheckBox>("CheckBox_wpt_name_change_macro")->isChecked());
    for (const char* name : {"Panel1", "StringGrid_Data", "Button_save_rte", "Button_update_wpt",
                             "Edit_Lat", "Edit_Lon"})
        QVERIFY2(!get<QWidget>(name)->isEnabled(), name);
    for (const char* name :
         {"Edit_Lat", "Edit_Lon", "Label4", "Label5", "Button_GPX2RTE", "Image3"})
        QVERIFY2(!get<QWidget>(name)->isVisible(), name);
}

void TestWindow::applicationTitle_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");
    QTest::newRow("unix program") << S("/usr/bin/rv58route") << S("Rv58route");
    QTest::newRow("windows program") << S("C:\\x\\RV58ROUTE.EXE") << S("Rv58route");
    QTest::newRow("first full stop") << S("a.b.c") << S("A");
    QTest::newRow("dot in folder") << S("/opt/v1.2/MyTool") << S("Mytool");
}

void TestWindow::applicationTitle() {
    QFETCH(QString, path);
    QFETCH(QString, title);
    QCOMPARE(ApplicationTitle(path), title);
}

void TestWindow::errorReportFullStop_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << S("'x' is not valid") << S("'x' is not valid.");
    QTest::newRow("digit") << S("Code 7") << S("Code 7.");
    QTest::newRow("full stop") << S("Failed.") << S("Failed.");
    QTest::newRow("sorts before stop") << S("Stop!") << S("Stop!");
    QTest::newRow("empty") << QString() << QString();
}

void TestWindow::errorReportFullStop() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(ErrorReportText(text), shown);
}

void TestWindow::loadShowsTheRoute() {
    const QString path = writeFile(S("trip.rte"), GoodRoute);
    load(path);
    QCOMPARE(m_dialogs->openFilters,
             QStringList{S("GPX files (*.gpx *.GPX);;Oziexplorer route files (*.rte *.RTE)")});
    QVERIFY(m_dialogs->messages.isEmpty());
    QCOMPARE(get<QLineEdit>("Edit_Filename")->text(), path);
    QVERIFY(editingEnabled());
    QCOMPARE(get<QLineEdit>("Edit_route_name")->text(), S("MYROUTE"));
    QCOMPARE(get<QLineEdit>("Edit_waypoint")->text(), S("WPT001"));
    QCOMPARE(get<QLabel>("Label_total_wpt")->text(), S("3"));
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    // Every cell shows its text, not only the header-like "NO" column drawn before it.
    auto* grid = get<QTableView>("StringGrid_Data");
    const QImage shown = grid->viewport()->grab().toImage();
    for (int column : {0, 1, 2}) {
        const QRect at = grid->visualRect(m_form->routeTable().index(1, column));
        QSet<QRgb> colours;
        for (int x = at.left(); x <= at.right(); ++x)
            colours.insert(shown.pixel(x, at.center().y()));
        QVERIFY2(colours.size() > 1, qPrintable(QString::number(column)));
    }
    QCOMPARE(grid->columnWidth(RouteTable::ColName), 77); // kept over the new column count

    m_dialogs->openAnswers.clear(); // a cancelled dialog changes nothing
    click("Button_Browse");
    QCOMPARE(get<QLineEdit>("Edit_Filename")->text(), path);
    QVERIFY(m_dialogs->messages.isEmpty());
}

void TestWindow::importMessages_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes"); // empty: no file is made
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown type") << S("route.txt") << GoodRoute << S("Unknow file type error.");
    QTest::newRow("missing rte") << S("missing.rte") << QByteArray() << S("RTE file error.");
    QTest::newRow("not a route file")
        << S("notes.rte") << QByteArray("Just some notes\r\n") << S("Route File Format Error!");
    QTest::newRow("no converter") << S("trip.gpx") << GpxRoute
                                  << S("GPX-RTE conversion failed, rte file not found.");
}

void TestWindow::importMessages() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    m_form->setConverter(GpsBabelConverter(m_dir->filePath(S("no-such-converter"))));
    load(bytes.isEmpty() ? m_dir->filePath(name) : writeFile(name, bytes));
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->messages.at(0).text, message);
    QVERIFY(!m_dialogs->messages.at(0).busyPointer);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QVERIFY(!editingEnabled()); // a first load that fails leaves everything disabled
    QCOMPARE(m_form->routeTable().rows(), 10);
}

void TestWindow::refusedFileKeepsLoadedRoute() {
    load(writeFile(S("good.rte"), GoodRoute));
    get<QLineEdit>("Edit_route_name")->setText(S("EDITED"));
    QByteArray tooLong = GoodRoute.left(GoodRoute.indexOf("W,"));
    for (int i = 0; i < 125; ++i) // one waypoint more than the device holds
        tooLong += "W,  1,  1,  1,WPT, 50.000000,   8.000000,40000.00000,  0, 1, 3\r\n";
    load(writeFile(S("bad.rte"), tooLong));
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->messages.at(0).text, S("Route File Format Error!"));
    QVERIFY(m_dialogs->messages.at(0).details.contains(S("124")));
    QVERIFY(editingEnabled());
    QCOMPARE(get<QLineEdit>("Edit_route_name")->text(), S("EDITED"));
    QCOMPARE(m_form->routeTable().rows(), 4);
    QCOMPARE(cell(RouteTable::ColName, 2), S("WPT002"));
}

void TestWindow::gpxConvertedThroughConverter() {
    if (QStandardPaths::findExecutable(GpsBabelConverter::defaultProgram()).isEmpty())
        QSKIP("the converter program is not installed");
    // A folder name with a dot, a file name with a blank and quotes.
    load(writeFile(S("my.gpx files/Trip 'one'.gpx"), GpxRoute));
    QVERIFY2(m_dialogs->messages.isEmpty(), qPrintable(m_dialogs->messages.value(0).details));
    QVERIFY(editingEnabled());
    QCOMPARE(get<QLabel>("Label_total_wpt")->text(), S("2"));
    QCOMPARE(cell(RouteTable::ColName, 2), S("BRAVO"));
}

void TestWindow::rowLoadErrorIsReportedAndWindowRuns() {
    QByteArray badFirstIcon = GoodRoute;
    badFirstIcon.replace("40000.00000,  0,", "40000.00000,  x,");
    load(writeFile(S("bad icon.rte"), badFirstIcon));
    get<QTableView>("StringGrid_Data")->viewport()->repaint();
    QCoreApplication::processEvents();
    // Reported once, from the abandoned import (the table's drawing of the cell does not
    // report it again); what it had enabled stays enabled, and the row's texts were shown
    // before the icon stopped the row load.
    QCOMPARE(m_dialogs->errorReports, QStringList{S("'  x' is not a valid integer value.")});
    QCOMPARE(get<QLineEdit>("Edit_waypoint")->text(), S("WPT001"));
    QCOMPARE(m_form->routeState().selectedRow, 1);
    QVERIFY(editingEnabled());
    QVERIFY(!get<QPushButton>("Button_update_wpt")->isEnabled());
    QCOMPARE(QApplication::overrideCursor(), nullptr);

    load(writeFile(S("a.rte"), GoodRoute)); // and the window goes on working
    QVERIFY(get<QPushButton>("Button_update_wpt")->isEnabled());
}

void TestWindow::badIconCellReportedOncePerText() {
    load(writeFile(S("a.rte"), GoodRoute));
    const int before = int(m_dialogs->errorReports.size());
    auto repaintTimes = [grid = get<QTableView>("StringGrid_Data")](int times) {
        for (int i = 0; i < times; ++i) {
            grid->viewport()->repaint();
            QCoreApplication::processEvents();
        }
    };
    m_form->routeTable().setCell(RouteTable::ColIcon, 2, S("x"));
    repaintTimes(3);
    QCOMPARE(m_dialogs->errorReports.mid(before),
             QStringList{S("'x' is not a valid integer value.")});
    m_form->routeTable().setCell(RouteTable::ColIcon, 2, S("y"));
    repaintTimes(3);
    QCOMPARE(m_dialogs->errorReports.size(), before + 2);
}

void TestWindow::selectAndAcceptThroughTheEditor() {
    load(writeFile(S("a.rte"), GoodRoute));
    auto* grid = get<QTableView>("StringGrid_Data");
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(get<QLineEdit>("Edit_waypoint")->text(), S("WPT002"));
    QCOMPARE(get<QComboBox>("ComboBox_wpt_icon")->currentIndex(), 3);
    const QRect row3 = grid->visualRect(m_form->routeTable().index(2, RouteTable::ColName));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row3.center());
    QCOMPARE(get<QLineEdit>("Edit_waypoint")->text(), S("WPT003"));

    get<QLineEdit>("Edit_waypoint")->setText(S("TOO LONG"));
    click("Button_update_wpt");
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(cell(RouteTable::ColName, 3), S("WPT003"));
    // The picker chooses the icon; the icon macro is ticked from the start.
    QTest::mouseClick(get<QWidget>("Image1"), Qt::LeftButton, {}, QPoint(100, 60));
    QCOMPARE(get<QComboBox>("ComboBox_wpt_icon")->currentIndex(), 22);
    get<QLineEdit>("Edit_waypoint")->setText(S(" HOME "));
    click("Button_update_wpt");
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(cell(RouteTable::ColName, 3), S("HOME"));
    QCOMPARE(cell(RouteTable::ColIcon, 1), S("22"));
}

void TestWindow::saveRouteNameMessages_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    const QString length = S("Input Length Error (Route Name)!");
    const QString chars = S("Input Char Error (Route Name)!");
    QTest::newRow("empty") << QString() << length;
    QTest::newRow("blanks only") << S("   ") << length;
    QTest::newRow("13 characters") << S("ABCDEFGHIJKLM") << length;
    QTest::newRow("hyphen") << S("A-B") << chars;
    QTest::newRow("underscore") << S("Trip_1") << chars;
    QTest::newRow("letter above 127") << QString(QChar(0xE9)) << chars;
}

void TestWindow::saveRouteNameMessages() {
    QFETCH(QString, name);
    QFETCH(QString, message);
    load(writeFile(S("a.rte"), GoodRoute));
    get<QLineEdit>("Edit_route_name")->setText(name);
    click("Button_save_rte");
    QCOMPARE(m_dialogs->messages.size(), 1);
    QCOMPARE(m_dialogs->messages.at(0).text, message);
    QVERIFY(m_dialogs->saveProposals.isEmpty());
}

void TestWindow::saveOutcomes_data() {
    QTest::addColumn<QString>("answer"); // the save dialog's answer; empty: cancelled
    QTest::addColumn<QString>("message");
    QTest::newRow("written") << S("out.rte") << QString();
    QTest::newRow("cancelled") << QString() << QString();
    QTest::newRow("cannot be written") << S("no folder/out.rte") << S("RTE file write error.");
}

void TestWindow::saveOutcomes() {
    QFETCH(QString, answer);
    QFETCH(QString, message);
    load(writeFile(S("a.rte"), GoodRoute));
    get<QLineEdit>("Edit_route_name")->setText(S("  Trip 2 "));
    m_form->routeTable().setCell(RouteTable::ColName, 2, S("RIVER"));
    if (!answer.isEmpty())
        m_dialogs->saveAnswers << m_dir->filePath(answer);
    click("Button_save_rte");
    QCOMPARE(m_dialogs->saveProposals, QStringList{S("Trip 2.RTE")});
    QCOMPARE(m_dialogs->saveFilters, QStringList{S("RV58 route files (*.rte *.RTE)")});
    QCOMPARE(get<QLineEdit>("Edit_route_name")->text(), S("  Trip 2 "));
    QCOMPARE(m_dialogs->messages.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty()) {
        QCOMPARE(m_dialogs->messages.at(0).text, message);
        QVERIFY(!m_dialogs->messages.at(0).details.isEmpty());
    }
    QFile saved(m_dir->filePath(S("out.rte")));
    QCOMPARE(saved.exists(), answer == S("out.rte"));
    if (saved.open(QIODevice::ReadOnly)) {
        QByteArray expected = GoodRoute;
        QCOMPARE(saved.readAll(), expected.replace("MYROUTE", "Trip 2").replace("WPT002", "RIVER"));
    }
}

void TestWindow::unitSwitchReformatsRouteLength() {
    const auto options = get<QGroupBox>("RadioGroup_unit")->findChildren<QRadioButton*>();
    QTest::mouseClick(options.at(0), Qt::LeftButton); // "km", nothing measured: no change
    QCOMPARE(m_form->unitIndex(), 0);
    QCOMPARE(get<QLabel>("Label_route_len")->text(), S("0.00 miles"));

    QTest::mouseClick(options.at(1), Qt::LeftButton);
    load(writeFile(S("a.rte"), GoodRoute));
    const QString miles = get<QLabel>("Label_route_len")->text();
    QVERIFY(miles.endsWith(S("miles")));
    QTest::mouseClick(options.at(0), Qt::LeftButton);
    const QString kms = get<QLabel>("Label_route_len")->text();
    QVERIFY2(kms.endsWith(S("km")), qPrintable(kms));
    QVERIFY(kms.chopped(2).toDouble() > miles.chopped(5).toDouble());
    QCOMPARE(cell(RouteTable::ColTotal, 3), kms.chopped(2));
}

namespace {

QByteArray runConverter(const QStringList& args) {
    QProcess p;
    p.start(GpsBabelConverter::defaultProgram(), args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        qFatal("the converter failed: %s", p.readAllStandardError().constData());
    return p.readAllStandardOutput();
}

const char* const SampleGpx = RV58_SOURCE_DIR "/examples/lake-shore.gpx";

} // namespace

void TestWindow::droppedFileLoadsLikeLoadRoute() {
    const QString route = writeFile(S("dropped.rte"), GoodRoute);
    auto drop = [this](const QList<QUrl>& urls) {
        QMimeData mime;
        mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(m_form.get(), &enter);
        QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(m_form.get(), &dropped);
        return enter.isAccepted();
    };
    QVERIFY(!drop({QUrl::fromLocalFile(writeFile(S("notes.txt"), "x"))}));
    QVERIFY(!drop({QUrl::fromLocalFile(route), QUrl::fromLocalFile(route)}));
    QVERIFY(!editingEnabled());
    QVERIFY(drop({QUrl::fromLocalFile(route)}));
    QCOMPARE(get<QLineEdit>("Edit_Filename")->text(), QDir::toNativeSeparators(route));
    QVERIFY(editingEnabled());
    QCOMPARE(get<QLineEdit>("Edit_route_name")->text(), S("MYROUTE"));
    QCOMPARE(get<QLineEdit>("Edit_waypoint")->text(), S("WPT001"));
    QVERIFY(!m_form->windowIcon().isNull());
}

void TestWindow::gpxToDeviceRouteEndToEnd() {
    if (QStandardPaths::findExecutable(GpsBabelConverter::defaultProgram()).isEmpty())
        QSKIP("the converter program is not installed");
    load(S(SampleGpx));
    QVERIFY(m_dialogs->messages.isEmpty());
    QCOMPARE(get<QLabel>("Label_total_wpt")->text(), S("9"));

    // Every waypoint its own icon, then the names by the name macro.
    auto* grid = get<QTableView>("StringGrid_Data");
    get<QCheckBox>("CheckBox_ICON_CHANGE_MACRO")->setChecked(false);
    const QList<int> icons = {1, 12, 17, 22, 25, 33, 39, 42, 44};
    for (int row = 1; row <= icons.size(); ++row) {
        grid->selectRow(row - 1);
        QCOMPARE(m_form->routeState().selectedRow, row);
        get<QComboBox>("ComboBox_wpt_icon")->setCurrentIndex(icons.at(row - 1));
        get<QLineEdit>("Edit_waypoint")->setText(S("X"));
        click("Button_update_wpt");
    }
    get<QCheckBox>("CheckBox_wpt_name_change_macro")->setChecked(true);
    grid->selectRow(3);
    get<QLineEdit>("Edit_waypoint")->clear();
    click("Button_update_wpt");
    QCOMPARE(m_dialogs->messages.size(), 0);

    grid->scrollToTop();
    if (qEnvironmentVariableIsSet("RV58_SCREENSHOT"))
        QVERIFY(m_form->grab().save(qEnvironmentVariable("RV58_SCREENSHOT")));

    get<QLineEdit>("Edit_route_name")->setText(S("Lake shore"));
    const QString out = m_dir->filePath(S("LAKE.RTE"));
    m_dialogs->saveAnswers << out;
    click("Button_save_rte");
    QCOMPARE(m_dialogs->messages.size(), 0);

    // What the device route must hold: the converter's own lines with the name and icon
    // fields of each waypoint put in, every other byte as the converter wrote it.
    const QString converted = m_dir->filePath(S("converted.rte"));
    runConverter(
        {S("-r"), S("-i"), S("gpx"), S("-f"), S(SampleGpx), S("-o"), S("ozi"), S("-F"), converted});
    QFile base(converted);
    QVERIFY(base.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = base.readAll().split('\n');
    QStringList names = {S("START")};
    for (int i = 1; i < 8; ++i)
        names << S("TURN0%1").arg(i);
    names << S("FINISH");
    for (int i = 0; i < 9; ++i) {
        QList<QByteArray> fields = lines[5 + i].split(',');
        fields[4] = names.at(i).toLatin1();
        fields[8] = QByteArray::number(icons.at(i));
        lines[5 + i] = fields.join(',');
    }
    QFile saved(out);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), lines.join('\n'));

    // The device route read back by the converter keeps names, positions and route name.
    const QString back = QString::fromUtf8(runConverter(
        {S("-r"), S("-i"), S("ozi"), S("-f"), out, S("-o"), S("gpx"), S("-F"), S("-")}));
    QVERIFY2(back.contains(S("<name>Lake shore</name>")), qPrintable(back));
    QVERIFY(back.contains(S("<rtept lat=\"47.693500000\" lon=\"9.271000000\">")));
    for (const QString& name : names)
        QVERIFY2(back.contains(S("<name>%1</name>").arg(name)), qPrintable(name));
}

void TestWindow::windowAndCommandLineWriteTheSameBytes() {
    if (QStandardPaths::findExecutable(GpsBabelConverter::defaultProgram()).isEmpty())
        QSKIP("the converter program is not installed");
    load(S(SampleGpx));
    m_form->routeTable(); // row 1 is in the editor after the load
    get<QComboBox>("ComboBox_wpt_icon")->setCurrentIndex(25);
    get<QLineEdit>("Edit_waypoint")->setText(S("Lake"));
    get<QCheckBox>("CheckBox_wpt_name_change_macro")->setChecked(true);
    click("Button_update_wpt");
    get<QLineEdit>("Edit_route_name")->setText(S("Shore 2"));
    const QString fromWindow = m_dir->filePath(S("window.rte"));
    m_dialogs->saveAnswers << fromWindow;
    click("Button_save_rte");

    const QString fromCli = m_dir->filePath(S("cli.rte"));
    QProcess cli;
    cli.start(S(RV58_CLI), {S("convert"), S(SampleGpx), S("-o"), fromCli, S("--route-name"),
                            S("Shore 2"), S("--row"), S("1"), S("--name"), S("Lake"), S("--icon"),
                            S("25"), S("--icon-macro"), S("--name-macro")});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 0);
    QFile a(fromWindow), b(fromCli);
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    const QByteArray bytes = a.readAll();
    QVERIFY(bytes.contains(",Lake08,"));
    QCOMPARE(b.readAll(), bytes);
}

int main(int argc, char** argv) {
    ErrorReportingApplication app(argc, argv);
    TestWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_window.moc"
