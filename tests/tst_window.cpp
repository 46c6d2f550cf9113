// SPDX-License-Identifier: GPL-3.0-or-later
// The main window driven as a user drives it: clicks go through the application's event
// delivery (so escaping errors reach the top-level report), and a script answers every
// dialog and keeps what would have been shown.
#include "RouteFileFixtures.h"

#include "app/Dialogs.h"
#include "app/ErrorReportingApplication.h"
#include "app/PictureView.h"
#include "app/RouteListDialog.h"
#include "app/TForm1.h"
#include "editing/IconSheet.h"
#include "files/RouteImport.h"
#include "route/RouteTable.h"

#include <QTemporaryDir>
#include <QtTest>
#include <QtWidgets>

#include <memory>

using fixtures::readFile;

namespace {

QString S(const char* latin1) {
    return QString::fromLatin1(latin1);
}

// Answers the dialogs in turn from its lists and logs each text a dialog showed.
class ScriptedDialogs : public Dialogs {
public:
    QStringList files;          // the open and save dialogs' answers; none left: cancelled
    QList<int> answers;         // confirm, yes/no and route list answers; none left: Cancel
    QStringList shown, details; // details: offered with each message
    bool busyAtMessage = false; // the wait pointer was still on when a box came up

    template <class T> static T next(QList<T>& list) {
        return list.isEmpty() ? T() : list.takeFirst();
    }
    QString getOpenFileName(const QString&) override { return next(files); }
    QString getSaveFileName(const QString& proposedName, const QString&) override {
        shown << S("save as ") + proposedName;
        return next(files);
    }
    void message(const QString& text, const QString& more) override {
        shown << text;
        details << more;
        busyAtMessage |= QApplication::overrideCursor() != nullptr;
    }
    void errorReport(const QString& text) override { shown << S("error ") + text; }
    bool confirm(const QString& text, const QString& acceptText) override {
        shown << acceptText + S(": ") + text;
        return next(answers);
    }
    bool askYesNo(const QString& text) override {
        shown << text;
        return next(answers);
    }
    int chooseRoute(const QList<RouteListEntry>& routes) override {
        shown << S("choose of %1").arg(routes.size());
        return next(answers);
    }
};

const QByteArray GoodRoute =
    "OziExplorer Route File Version 1.0\r\nWGS 84\r\n"
    "Reserved 1\r\nReserved 2\r\n"
    "R,  0,MYROUTE,,\r\n"
    "W,  1,  1,  1,WPT001, 50.000000,   8.000000,40000.00000,  0, 1, 3\r\n"
    "W,  1,  2,  2,WPT002, 50.000000,   8.014000,40000.00000,  3, 1, 3\r\n"
    "W,  1,  3,  3,WPT003, 50.009000,   8.014000,40000.00000, 12, 1, 3\r\n";

// Drags `urls` from a file manager onto `target` and drops them there; true when the window
// took the drag.
bool dropFiles(QWidget* target, const QList<QUrl>& urls) {
    QMimeData mime;
    mime.setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(target, &drop);
    return enter.isAccepted();
}

} // namespace

class TestWindow : public QObject {
    Q_OBJECT

    template <class T = QWidget> T* get(const char* name) { return m_form->control<T>(S(name)); }
    // The text of a label or a field.
    QString text(const char* name) { return get(name)->property("text").toString(); }
    void setText(const char* name, const QString& text) { get<QLineEdit>(name)->setText(text); }
    QString writeFile(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir->filePath(name);
        if (!QDir().mkpath(QFileInfo(path).path()) || !fixtures::writeFile(path, bytes))
            qFatal("cannot write test file");
        return path;
    }
    void load(const QString& path) {
        m_dialogs->files << path;
        click("Button_Browse");
        QTRY_VERIFY_WITH_TIMEOUT(!m_form->isLoading(), 30000);
    }
    void click(const char* button) { QTest::mouseClick(get(button), Qt::LeftButton); }
    bool editingEnabled() {
        return get("Panel1")->isEnabled() && get("StringGrid_Data")->isEnabled() &&
               get("Button_save_rte")->isEnabled();
    }
    QString cell(int column, int row) { return m_form->routeTable().cell(column, row); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<TForm1> m_form;

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        static_cast<ErrorReportingApplication*>(qApp)->setDialogs(m_dialogs.get());
        m_form = std::make_unique<TForm1>();
        m_form->setDialogs(m_dialogs.get());
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }

    void cleanup() {
        m_form.reset();
        static_cast<ErrorReportingApplication*>(qApp)->setDialogs(nullptr);
    }

    // Every load, as the first one (a refusal leaves everything disabled) and after a good
    // file, whose route, table, enabled controls and unsaved edits stay unless the new one
    // is taken: refusals, the choice among routes and the fit of one too long.
    void loadOutcomes_data() {
        QTest::addColumn<bool>("afterGood");
        QTest::addColumn<QString>("file");     // in the test folder, or a test data file
        QTest::addColumn<QByteArray>("bytes"); // empty: no file is made
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<int>("count");    // waypoints shown; 0: the route before stays
        QTest::addColumn<QString>("name"); // of the route taken
        const QString format = S("Route File Format Error!");
        const QString data = S(RV58_TEST_DATA "/");
        for (bool afterGood : {false, true}) {
            const char* when = afterGood ? "after a good file" : "first load";
            const auto refused = [&](const char* what, const char* file, const QByteArray& bytes,
                                     const QStringList& shown) {
                QTest::addRow("%s, %s", what, when)
                    << afterGood << S(file) << bytes << QList<int>() << shown << 0 << QString();
            };
            refused("unknown type", "route.txt", GoodRoute, {S("Unknow file type error.")});
            refused("missing rte", "missing.rte", QByteArray(), {S("RTE file error.")});
            refused("not a route file", "notes.rte", "Just some notes\r\n", {format});
            refused("one waypoint too many", "long.rte", fixtures::routeFile(125),
                    {FitQuestion(125), format});
            refused("no converter", "trip.gpx", "<gpx/>\n",
                    {S("GPX-RTE conversion failed, rte file not found.")});
        }
        QTest::newRow("good rte") << true << S("trip.rte") << GoodRoute << QList<int>()
                                  << QStringList() << 3 << S("MYROUTE");
        const auto converted = [&](const char* what, const char* file, int answer,
                                   const QStringList& shown, int count, const char* name) {
            QTest::newRow(what) << true << data + S(file) << QByteArray() << QList<int>{answer}
                                << shown << count << S(name);
        };
        converted("second of two routes", "two_routes.gpx", 2, {S("choose of 2")}, 2, "Back");
        converted("track after a route", "mixed.gpx", 2, {S("choose of 2")}, 2, "Walked");
        converted("route list cancelled", "two_routes.gpx", 0, {S("choose of 2")}, 0, "");
        converted("long route fitted", "long_125.gpx", 1,
                  {FitQuestion(125), S("125 points reduced to 124; the route is ")}, 124,
                  "Too long");
        converted("long route not fitted", "long_125.gpx", 0, {FitQuestion(125), format}, 0, "");
    }

    void loadOutcomes() {
        QFETCH(bool, afterGood);
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(QList<int>, answers);
        QFETCH(QStringList, shown);
        QFETCH(int, count);
        QFETCH(QString, name);
        const bool testData = QFileInfo(file).isAbsolute();
        if (testData &&
            QStandardPaths::findExecutable(GpsBabelConverter::defaultProgram()).isEmpty())
            QSKIP("the converter program is not installed");
        const QString before = afterGood ? writeFile(S("good.rte"), GoodRoute) : QString();
        if (afterGood) {
            load(before);
            setText("Edit_route_name", S("EDITED"));
        }
        if (!testData) // made-up files never reach the real converter
            m_form->setConverter(GpsBabelConverter(m_dir->filePath(S("no-such-converter"))));
        m_dialogs->answers = answers;
        const QString path = testData          ? file
                             : bytes.isEmpty() ? m_dir->filePath(file)
                                               : writeFile(file, bytes);
        load(path);
        if (!shown.isEmpty() &&
            m_dialogs->shown.size() == shown.size()) // a message may go on with figures
            m_dialogs->shown.last().truncate(shown.last().size());
        QCOMPARE(m_dialogs->shown, shown);
        QVERIFY(!m_dialogs->busyAtMessage && !QApplication::overrideCursor());
        QCOMPARE(editingEnabled(), afterGood);
        QCOMPARE(text("Edit_Filename"), count ? path : before);
        QCOMPARE(text("Label_total_wpt"), QString::number(count ? count : afterGood ? 3 : 0));
        QCOMPARE(text("Edit_route_name"), count ? name : afterGood ? S("EDITED") : QString());
        QCOMPARE(m_form->routeTable().rows(), count ? count + 1 : afterGood ? 4 : 10);
    }

    // A file dropped from a file manager loads as by Load Route, and every cell shows its
    // text, not only the "NO" column drawn before it. A width the user chose is kept.
    void droppedFileShowsEveryCell() {
        const QString path = writeFile(S("trip.rte"), GoodRoute);
        auto* grid = get<QTableView>("StringGrid_Data");
        grid->setColumnWidth(RouteTable::ColName, 150);
        QVERIFY(!dropFiles(m_form.get(), {QUrl::fromLocalFile(writeFile(S("a.txt"), "x"))}));
        QVERIFY(!dropFiles(m_form.get(), {QUrl::fromLocalFile(path), QUrl::fromLocalFile(path)}));
        QVERIFY(dropFiles(m_form.get(), {QUrl::fromLocalFile(path)}));
        QTRY_VERIFY(!m_form->isLoading());
        click("Button_Browse"); // a cancelled dialog changes nothing
        QCOMPARE(text("Edit_Filename") + text("Edit_waypoint"),
                 QDir::toNativeSeparators(path) + S("WPT001"));
        // In the view's own pixels, whatever the screen's scale factor.
        const QImage shown = grid->viewport()->grab().toImage().scaled(grid->viewport()->size());
        for (int column : {0, 1, 2}) {
            const QRect at = grid->visualRect(m_form->routeTable().index(1, column));
            QSet<QRgb> colours;
            for (int x = at.left(); x <= at.right(); ++x)
                colours.insert(shown.pixel(x, at.center().y()));
            QVERIFY2(colours.size() > 1, qPrintable(QString::number(column)));
        }
        QCOMPARE(grid->columnWidth(RouteTable::ColName), 150);
        QCOMPARE(m_dialogs->shown, QStringList());
    }

    void badIconCellReportedOncePerText() {
        QByteArray badFirstIcon = GoodRoute;
        load(writeFile(S("bad.rte"), badFirstIcon.replace("00000,  0,", "00000,  x,")));
        // Reported once, from the abandoned row load, not again by the drawing; what the load
        // had enabled stays enabled, and the row's texts were shown before the icon stopped it.
        QVERIFY(editingEnabled() && !get("Button_update_wpt")->isEnabled());
        QCOMPARE(text("Edit_waypoint"), S("WPT001"));
        // A new bad text is reported by the drawing, once however often the table repaints.
        m_form->routeTable().setCell(RouteTable::ColIcon, 2, S("y"));
        for (int i = 0; i < 3; ++i) {
            get<QTableView>("StringGrid_Data")->viewport()->repaint();
            QCoreApplication::processEvents();
        }
        QCOMPARE(m_dialogs->shown, QStringList({S("error '  x' is not a valid integer value."),
                                                S("error 'y' is not a valid integer value.")}));
    }

    // Selecting by key and mouse, a refused and an accepted edit, the icon by typing. A load
    // measures once and draws once, a selection only frames its row anew; Accept measures
    // again, and the other unit shows the length anew.
    void editWaypointsThroughTheEditor() {
        QSignalSpy measured(m_form.get(), &TForm1::routeMeasured);
        QSignalSpy drawn(m_form.get(), &TForm1::overviewDrawn);
        load(writeFile(S("a.rte"), GoodRoute));
        auto* grid = get<QTableView>("StringGrid_Data");
        auto* icons = get<QComboBox>("ComboBox_wpt_icon");
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(text("Edit_waypoint") + QString::number(icons->currentIndex()), S("WPT0023"));
        QCOMPARE(measured.count() * 10 + drawn.count(), 12);
        const QRect row3 = grid->visualRect(m_form->routeTable().index(2, RouteTable::ColName));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row3.center());
        setText("Edit_waypoint", S("TOO LONG"));
        click("Button_update_wpt");
        QCOMPARE(cell(RouteTable::ColName, 3), S("WPT003"));
        // Typing selects the entry, with its preview and red square, and keeps what is typed.
        icons->lineEdit()->selectAll();
        QTest::keyClicks(icons->lineEdit(), S("skI"));
        QCOMPARE(icons->currentText() + QString::number(icons->currentIndex()), S("skI24"));
        const IconSheet sheet;
        QCOMPARE(get<PictureView>("Image2")->image(), sheet.image().copy(IconSheet::IconCell(24)));
        QCOMPARE(get<PictureView>("Image1")->image().pixel(IconSheet::IconCell(24).topLeft()),
                 qRgb(255, 0, 0));
        // As the window starts, the icon goes to every row and the name to this row only.
        setText("Edit_waypoint", S(" HOME "));
        click("Button_update_wpt");
        QCOMPARE(m_dialogs->shown.size(), 1);
        QCOMPARE(cell(RouteTable::ColName, 3) + cell(RouteTable::ColName, 2), S("HOMEWPT002"));
        QCOMPARE(cell(RouteTable::ColIcon, 1) + QString::number(measured.count()), S("243"));
        QTest::mouseClick(get<QGroupBox>("RadioGroup_unit")->findChildren<QRadioButton*>().at(0),
                          Qt::LeftButton);
        QCOMPARE(text("Label_route_len"), cell(RouteTable::ColTotal, 3) + S("km"));
    }

    // The columns of a full route fit beside the scroll bar, the date and the columns without
    // a header are not shown, and with a column widened past the view's edge nothing scrolls
    // the table sideways.
    void tableNeverScrollsSideways() {
        load(writeFile(S("full.rte"), fixtures::routeFile(124)));
        QCOMPARE(m_dialogs->shown, QStringList()); // the device holds 124 points: no fit asked
        auto* grid = get<QTableView>("StringGrid_Data");
        QVERIFY(grid->verticalScrollBar()->isVisible() &&
                grid->horizontalHeader()->length() <= grid->viewport()->width());
        QVERIFY(grid->isColumnHidden(RouteTable::ColDate) &&
                grid->isColumnHidden(RouteTable::HeaderColumns));
        grid->setColumnWidth(RouteTable::ColName, 400);
        QCoreApplication::processEvents(); // the view lays itself out anew
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
        QWheelEvent wheel(QPointF(50, 30), grid->viewport()->mapToGlobal(QPointF(50, 30)), QPoint(),
                          QPoint(-120, 0), Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid->viewport(), &wheel);
        QCOMPARE(grid->horizontalScrollBar()->value() + grid->columnViewportPosition(0), 0);
    }

    // The list a multi-route file offers: names as the converter wrote them, and the
    // number of the chosen entry.
    void routeListShowsEachRoute() {
        RouteListDialog dialog({{1, S("Lake shore"), 9, S("route")},
                                {4, S("Caf\xe9 \x84Seeblick\x93"), 612, S("track")}});
        auto* list = dialog.findChild<QTreeWidget*>(S("RouteList"));
        list->setCurrentItem(list->topLevelItem(1));
        QCOMPARE(list->currentItem()->text(0) + QString::number(dialog.chosenNumber()),
                 QString::fromUtf8("Café „Seeblick“4"));
        if (qEnvironmentVariableIsSet("RV58_ROUTE_LIST_SCREENSHOT")) {
            list->setCurrentItem(list->topLevelItem(0));
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QVERIFY(dialog.grab().save(qEnvironmentVariable("RV58_ROUTE_LIST_SCREENSHOT")));
        }
    }

    void slowLoadCanBeStopped_data() {
        QTest::addColumn<int>("how"); // 0: Cancel, 1: the window closed, 2: destroyed
        QTest::newRow("Cancel") << 0;
        QTest::newRow("window closed") << 1;
        QTest::newRow("window destroyed") << 2;
    }

    // The window stays responsive while the converter works, with the wait pointer, a
    // progress dialog and no second load; however the load is stopped, the converter's
    // folder goes and the route loaded before stays.
    void slowLoadCanBeStopped() {
        QFETCH(int, how);
        const QString before = writeFile(S("good.rte"), GoodRoute);
        load(before);
        const QString temp = m_dir->filePath(S("tmp"));
        const QByteArray systemTemp = qgetenv("TMPDIR");
        auto restoreTemp = qScopeGuard([&systemTemp] { qputenv("TMPDIR", systemTemp); });
        QVERIFY(QDir().mkpath(temp) && qputenv("TMPDIR", QFile::encodeName(temp)));
        const QString slow = writeFile(S("slow"), "#!/bin/sh\nexec sleep 30\n");
        QFile::setPermissions(slow, QFile::ReadOwner | QFile::ExeOwner);
        m_form->setConverter(GpsBabelConverter(slow));
        m_dialogs->files << writeFile(S("trip.gpx"), "<gpx/>\n");
        click("Button_Browse");
        QVERIFY(m_form->isLoading() && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
        QVERIFY(!get("Button_Browse")->isEnabled() && !get("Button_save_rte")->isEnabled());
        QVERIFY(!dropFiles(m_form.get(), {QUrl::fromLocalFile(before)}));
        auto* progress = m_form->findChild<QProgressDialog*>();
        QTRY_VERIFY(progress->isVisible());
        QCOMPARE(progress->windowTitle(), S("Tst_window")); // named after the program
        QVERIFY(!QDir(temp).isEmpty());                     // the converter's own folder
        if (how == 0)
            QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
        else if (how == 1)
            m_form->close();
        else
            m_form.reset();
        QTRY_VERIFY(!m_form || !m_form->isLoading());
        QVERIFY(QDir(temp).isEmpty() && !QApplication::overrideCursor());
        if (m_form)
            QCOMPARE(text("Edit_Filename") + text("Label_total_wpt") +
                         QString::number(editingEnabled() && get("Button_Browse")->isEnabled()),
                     before + S("31"));
        QCOMPARE(m_dialogs->shown, QStringList());
    }

    void saveRoute_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("unfit");     // row 2 named beyond what the device shows
        QTest::addColumn<QString>("answer"); // the save dialog's answer; empty: cancelled
        QTest::addColumn<int>("agree");      // the answer to the warning about names or replacing
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<bool>("saved");
        const QString trip = S("  Trip 2 "); // saved trimmed, left as typed in its field
        const auto row = [&](const char* what, bool unfit, const char* answer, int agree,
                             const QString& shown, bool saved) {
            QTest::newRow(what) << trip << unfit << S(answer) << agree << shown.split('|') << saved;
        };
        const QString as = S("save as Trip 2.RTE|"), replace = S("Replace: %1 already exists. "
                                                                 "Replace it?");
        // 0x80 is shown as the euro sign and written back as the byte it is.
        const QString unfit = QString::fromUtf8(
            "Save anyway: 1 waypoint name does not fit the device (at most 6 characters of "
            "blank, 0-9, A-Z, a-z): R€VER. The Waypoint Name Change Macro renames them all.|");
        QTest::newRow("name with underscore")
            << S("Trip_1") << false << QString() << 0
            << QStringList{S("Input Char Error (Route Name)!")} << false;
        row("written", false, "out.rte", 0, as.chopped(1), true);
        row("cancelled", false, "", 0, as.chopped(1), false);
        row("cannot be written", false, "no folder/out.rte", 0, as + S("RTE file write error."),
            false);
        row("name unfit, saved anyway", true, "out.rte", 1, unfit + as.chopped(1), true);
        row("name unfit, not saved", true, "out.rte", 0, unfit.chopped(1), false);
        row("replaced", false, "old.rte", 1, as + replace.arg(S("old.rte")), true);
        row("not replaced", false, "old.rte", 0, as + replace.arg(S("old.rte")), false);
        row("the loaded file of two routes replaced", false, "a.rte", 1,
            as + replace.arg(S("a.rte")) +
                S(" It holds 1 other route, which will not be kept: the saved file holds the "
                  "chosen route only."),
            true);
    }

    void saveRoute() {
        QFETCH(QString, name);
        QFETCH(bool, unfit);
        QFETCH(QString, answer);
        QFETCH(int, agree);
        QFETCH(QStringList, shown);
        QFETCH(bool, saved);
        const QString waypoint = unfit ? S("R\x80VER") : S("RIVER");
        QMap<QString, QByteArray> files = {
            {S("out.rte"), QByteArray()},
            {S("old.rte"), "old\r\n"},
            {S("a.rte"), GoodRoute + "R,  1,OTHER,,\r\nW,  2,  1,  4,WPT004, 50.010000,   "
                                     "8.020000,40000.00000,  3, 1, 3\r\n"}};
        writeFile(S("old.rte"), files[S("old.rte")]);
        m_dialogs->answers << 1; // the first route
        load(writeFile(S("a.rte"), files[S("a.rte")]));
        m_dialogs->shown.clear();
        setText("Edit_route_name", name);
        m_form->routeTable().setCell(RouteTable::ColName, 2, waypoint);
        QCOMPARE(m_form->routeTable().index(1, RouteTable::ColName).data().toString(),
                 QString(waypoint).replace(QChar(0x80), QChar(0x20AC)));
        m_dialogs->answers << agree;
        m_dialogs->files << (answer.isEmpty() ? QString() : m_dir->filePath(answer));
        click("Button_save_rte");
        QCOMPARE(m_dialogs->shown, shown);
        QCOMPARE(text("Edit_route_name"), name);
        QByteArray expected = GoodRoute;
        if (saved)
            files[answer] =
                expected.replace("MYROUTE", "Trip 2").replace("WPT002", waypoint.toLatin1());
        for (auto file = files.cbegin(); file != files.cend(); ++file)
            QCOMPARE(readFile(m_dir->filePath(file.key())), file.value());
    }

    // A GPX file through the real converter, every waypoint given its own icon and the names
    // by the name macro, saved: the converter's own lines with the name and icon fields of
    // each waypoint put in, every other byte as the converter wrote it.
    void gpxToDeviceRouteEndToEnd() {
        const QString babel = QStandardPaths::findExecutable(GpsBabelConverter::defaultProgram());
        if (babel.isEmpty())
            QSKIP("the converter program is not installed");
        // Blanks, quotes, a non-ASCII letter and a folder named like a GPX file: the path
        // reaches the converter as one argument and the type comes from the file's own name.
        const QString sample = S(RV58_SOURCE_DIR "/examples/lake-shore.gpx");
        load(writeFile(QString::fromUtf8("my.gpx files/Trip 'one' \"Küste\".gpx"),
                       readFile(sample)));
        auto* grid = get<QTableView>("StringGrid_Data");
        get<QCheckBox>("CheckBox_ICON_CHANGE_MACRO")->setChecked(false);
        const QList<int> icons = {1, 12, 17, 22, 25, 33, 39, 42, 44};
        for (int row = 0; row < icons.size(); ++row) {
            grid->selectRow(row);
            get<QComboBox>("ComboBox_wpt_icon")->setCurrentIndex(icons.at(row));
            setText("Edit_waypoint", S("X"));
            click("Button_update_wpt");
        }
        get<QCheckBox>("CheckBox_wpt_name_change_macro")->setChecked(true);
        grid->selectRow(3);
        setText("Edit_waypoint", QString());
        click("Button_update_wpt");
        grid->scrollToTop();
        if (qEnvironmentVariableIsSet("RV58_SCREENSHOT")) {
            // The path as a user's own file would show, not the test's.
            setText("Edit_Filename", S("/home/anna/Routes/lake-shore.gpx"));
            QVERIFY(m_form->grab().save(qEnvironmentVariable("RV58_SCREENSHOT")));
        }
        setText("Edit_route_name", S("Lake shore"));
        m_dialogs->files << m_dir->filePath(S("LAKE.RTE"));
        click("Button_save_rte");
        QCOMPARE(m_dialogs->shown, QStringList{S("save as Lake shore.RTE")});

        const QString converted = m_dir->filePath(S("converted.rte"));
        QCOMPARE(QProcess::execute(babel, S("-r -i gpx -o ozi -f %1 -F").arg(sample).split(' ')
                                              << converted),
                 0);
        QList<QByteArray> lines = readFile(converted).split('\n');
        const QStringList names =
            S("START TURN01 TURN02 TURN03 TURN04 TURN05 TURN06 TURN07 FINISH").split(' ');
        for (int i = 0; i < names.size(); ++i) {
            QList<QByteArray> fields = lines[5 + i].split(',');
            fields[4] = names.at(i).toLatin1();
            fields[8] = QByteArray::number(icons.at(i));
            lines[5 + i] = fields.join(',');
        }
        QCOMPARE(readFile(m_dir->filePath(S("LAKE.RTE"))), lines.join('\n'));
    }
};

int main(int argc, char** argv) {
    ErrorReportingApplication app(argc, argv);
    TestWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_window.moc"
