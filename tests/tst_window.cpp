// SPDX-License-Identifier: GPL-3.0-or-later
// The main window driven as a user drives it: clicks go through the application's event
// delivery (so escaping errors reach the top-level report), and a script answers every
// dialog and keeps what would have been shown.
#include "RouteFileFixtures.h"

#include "app/ApplicationTitle.h"
#include "app/Dialogs.h"
#include "app/ErrorReportingApplication.h"
#include "app/PictureView.h"
#include "app/RouteListDialog.h"
#include "app/TForm1.h"
#include "editing/IconSheet.h"
#include "files/RouteImport.h"
#include "route/RouteTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

using fixtures::readFile;

namespace {

QString S(const char* latin1) {
    return QString::fromLatin1(latin1);
}

class ScriptedDialogs : public Dialogs {
public:
    QStringList openAnswers, saveAnswers, openFilters, saveProposals, saveFilters;
    QStringList messages, details, errorReports, confirms, questions;
    QList<bool> confirmAnswers, yesNoAnswers; // none left: Cancel, No
    int chosenRoute = 0;                      // 0: the route list is cancelled
    QList<qsizetype> offeredRoutes;           // the length of each route list shown
    bool busyAtMessage = false;               // the wait pointer was still on when a box came up

    QString getOpenFileName(const QString& filter) override {
        openFilters << filter;
        return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
    }
    QString getSaveFileName(const QString& proposedName, const QString& filter) override {
        saveProposals << proposedName;
        saveFilters << filter;
        return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
    }
    void message(const QString& text, const QString& more) override {
        messages << text;
        details << more;
        busyAtMessage |= QApplication::overrideCursor() != nullptr;
    }
    void errorReport(const QString& text) override { errorReports << text; }
    bool confirm(const QString& text, const QString& acceptText) override {
        confirms << acceptText + S(": ") + text;
        return !confirmAnswers.isEmpty() && confirmAnswers.takeFirst();
    }
    bool askYesNo(const QString& text) override {
        questions << text;
        return !yesNoAnswers.isEmpty() && yesNoAnswers.takeFirst();
    }
    int chooseRoute(const QList<RouteListEntry>& routes) override {
        offeredRoutes << routes.size();
        return chosenRoute;
    }
};

const QByteArray GoodRoute =
    "OziExplorer Route File Version 1.0\r\nWGS 84\r\n"
    "Reserved 1\r\nReserved 2\r\n"
    "R,  0,MYROUTE,,\r\n"
    "W,  1,  1,  1,WPT001, 50.000000,   8.000000,40000.00000,  0, 1, 3\r\n"
    "W,  1,  2,  2,WPT002, 50.000000,   8.014000,40000.00000,  3, 1, 3\r\n"
    "W,  1,  3,  3,WPT003, 50.009000,   8.014000,40000.00000, 12, 1, 3\r\n";

const QString SampleGpx = S(RV58_SOURCE_DIR "/examples/lake-shore.gpx");

bool converterMissing() {
    return QStandardPaths::findExecutable(GpsBabelConverter::defaultProgram()).isEmpty();
}

QByteArray run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        qFatal("%s failed: %s", qPrintable(program), p.readAllStandardError().constData());
    return p.readAllStandardOutput();
}

} // namespace

class TestWindow : public QObject {
    Q_OBJECT

    template <class T> T* get(const char* name) {
        T* control = m_form->control<T>(S(name));
        if (!control)
            qFatal("no control %s", name);
        return control;
    }
    QString text(const char* name) {
        auto* label = qobject_cast<QLabel*>(get<QWidget>(name));
        return label ? label->text() : get<QLineEdit>(name)->text();
    }
    void setText(const char* name, const QString& text) { get<QLineEdit>(name)->setText(text); }
    QString writeFile(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir->filePath(name);
        if (!QDir().mkpath(QFileInfo(path).path()) || !fixtures::writeFile(path, bytes))
            qFatal("cannot write test file");
        return path;
    }
    void load(const QString& path) {
        m_dialogs->openAnswers << path;
        click("Button_Browse");
        QTRY_VERIFY_WITH_TIMEOUT(!m_form->isLoading(), 30000);
    }
    void click(const char* button) { QTest::mouseClick(get<QPushButton>(button), Qt::LeftButton); }
    void repaintGrid(int times) {
        for (int i = 0; i < times; ++i) {
            get<QTableView>("StringGrid_Data")->viewport()->repaint();
            QCoreApplication::processEvents();
        }
    }
    bool editingEnabled() {
        return get<QFrame>("Panel1")->isEnabled() &&
               get<QTableView>("StringGrid_Data")->isEnabled() &&
               get<QPushButton>("Button_save_rte")->isEnabled();
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

    void startUpState() {
        QCOMPARE(m_form->windowTitle(), S("RV-58 GPX-Route Converter V0.5(B1009T)"));
        QCOMPARE(m_form->minimumSize(), QSize(578, 664));
        QCOMPARE(m_form->maximumSize(), QSize(578, 664));
        QVERIFY(!(m_form->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!m_form->windowIcon().isNull());
        const QStringList headers =
            S("NO|WPT Name|Latitude|Longitude|Date|Icon|Leg Dist.|Total Dist.").split('|');
        for (int c = 0; c < headers.size(); ++c)
            QCOMPARE(cell(c, 0), headers.at(c));
        QCOMPARE(m_form->routeTable().rows(), 10);
        QCOMPARE(text("Label_total_wpt"), S("0"));
        QCOMPARE(text("Label_route_len"), S("0.00 miles"));
        QCOMPARE(m_form->unitIndex(), 1);
        QCOMPARE(get<QComboBox>("ComboBox_wpt_icon")->currentIndex(), -1);
        QCOMPARE(get<QComboBox>("ComboBox_wpt_icon")->currentText(), S(" "));
        for (const char* name : {"Panel1", "StringGrid_Data", "Button_save_rte",
                                 "Button_update_wpt", "Edit_Lat", "Edit_Lon"})
            QVERIFY2(!get<QWidget>(name)->isEnabled(), name);
        for (const char* name :
             {"Edit_Lat", "Edit_Lon", "Label4", "Label5", "Button_GPX2RTE", "Image3"})
            QVERIFY2(!get<QWidget>(name)->isVisible(), name);
    }

    // The message box caption from the program file, and the full stop of the error report.
    void shownTexts_data() {
        QTest::addColumn<bool>("caption"); // else the error report
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("unix program") << true << S("/usr/bin/rv58route") << S("Rv58route");
        QTest::newRow("windows program") << true << S("C:\\x\\RV58ROUTE.EXE") << S("Rv58route");
        QTest::newRow("first full stop") << true << S("a.b.c") << S("A");
        QTest::newRow("dot in folder") << true << S("/opt/v1.2/MyTool") << S("Mytool");
        QTest::newRow("letter") << false << S("'x' is not valid") << S("'x' is not valid.");
        QTest::newRow("digit") << false << S("Code 7") << S("Code 7.");
        QTest::newRow("full stop") << false << S("Failed.") << S("Failed.");
        QTest::newRow("sorts before stop") << false << S("Stop!") << S("Stop!");
        QTest::newRow("empty") << false << QString() << QString();
    }

    void shownTexts() {
        QFETCH(bool, caption);
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(caption ? ApplicationTitle(text) : ErrorReportText(text), shown);
    }

    void loadShowsTheRoute_data() {
        QTest::addColumn<bool>("dropped"); // from a file manager instead of Load Route
        QTest::newRow("Load Route") << false;
        QTest::newRow("dropped") << true;
    }

    void loadShowsTheRoute() {
        QFETCH(bool, dropped);
        const QString path = writeFile(S("trip.rte"), GoodRoute);
        const QString shownPath = dropped ? QDir::toNativeSeparators(path) : path;
        get<QTableView>("StringGrid_Data")->setColumnWidth(RouteTable::ColName, 150);
        if (dropped) {
            auto drop = [this](const QList<QUrl>& urls) {
                QMimeData mime;
                mime.setUrls(urls);
                QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
                QApplication::sendEvent(m_form.get(), &enter);
                QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
                QApplication::sendEvent(m_form.get(), &drop);
                return enter.isAccepted();
            };
            // Only a single .gpx or .rte file is taken.
            QVERIFY(!drop({QUrl::fromLocalFile(writeFile(S("notes.txt"), "x"))}));
            QVERIFY(!drop({QUrl::fromLocalFile(path), QUrl::fromLocalFile(path)}));
            QVERIFY(!editingEnabled());
            QVERIFY(drop({QUrl::fromLocalFile(path)}));
            QTRY_VERIFY(!m_form->isLoading());
        } else {
            load(path);
            QCOMPARE(
                m_dialogs->openFilters,
                QStringList{S("GPX files (*.gpx *.GPX);;Oziexplorer route files (*.rte *.RTE)")});
        }
        QVERIFY(m_dialogs->messages.isEmpty());
        QCOMPARE(text("Edit_Filename"), shownPath);
        QVERIFY(editingEnabled());
        QCOMPARE(text("Edit_route_name"), S("MYROUTE"));
        QCOMPARE(text("Edit_waypoint"), S("WPT001"));
        QCOMPARE(text("Label_total_wpt"), S("3"));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        // Every cell shows its text, not only the header-like "NO" column drawn before it.
        auto* grid = get<QTableView>("StringGrid_Data");
        // In the view's own pixels, whatever the screen's scale factor.
        const QImage shown = grid->viewport()->grab().toImage().scaled(grid->viewport()->size());
        for (int column : {0, 1, 2}) {
            const QRect at = grid->visualRect(m_form->routeTable().index(1, column));
            QSet<QRgb> colours;
            for (int x = at.left(); x <= at.right(); ++x)
                colours.insert(shown.pixel(x, at.center().y()));
            QVERIFY2(colours.size() > 1, qPrintable(QString::number(column)));
        }
        // A width the user chose is kept over the new column count.
        QCOMPARE(grid->columnWidth(RouteTable::ColName), 150);

        m_dialogs->openAnswers.clear(); // a cancelled dialog changes nothing
        click("Button_Browse");
        QCOMPARE(text("Edit_Filename"), shownPath);
        QVERIFY(m_dialogs->messages.isEmpty());
    }

    // Each refusal, as the first load (everything stays disabled) and after a good file, whose
    // route, table, enabled controls and unsaved edits stay as they were.
    void importMessages_data() {
        QTest::addColumn<bool>("afterGood");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes"); // empty: no file is made
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("reason"); // offered as the details
        const QString format = S("Route File Format Error!");
        for (bool afterGood : {false, true}) {
            const char* when = afterGood ? "after a good file" : "first load";
            QTest::addRow("unknown type, %s", when)
                << afterGood << S("route.txt") << GoodRoute << S("Unknow file type error.") << "";
            QTest::addRow("missing rte, %s", when)
                << afterGood << S("missing.rte") << QByteArray() << S("RTE file error.") << "";
            QTest::addRow("not a route file, %s", when)
                << afterGood << S("notes.rte") << QByteArray("Just some notes\r\n") << format << "";
            QTest::addRow("one waypoint too many, %s", when)
                << afterGood << S("long.rte") << fixtures::routeFile(125) << format << S("124");
            QTest::addRow("no converter, %s", when)
                << afterGood << S("trip.gpx") << QByteArray("<gpx/>\n")
                << S("GPX-RTE conversion failed, rte file not found.") << "";
        }
    }

    void importMessages() {
        QFETCH(bool, afterGood);
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QFETCH(QString, reason);
        if (afterGood) {
            load(writeFile(S("good.rte"), GoodRoute));
            setText("Edit_route_name", S("EDITED"));
        }
        m_form->setConverter(GpsBabelConverter(m_dir->filePath(S("no-such-converter"))));
        load(bytes.isEmpty() ? m_dir->filePath(name) : writeFile(name, bytes));
        QCOMPARE(m_dialogs->messages, QStringList{message});
        QVERIFY2(m_dialogs->details.at(0).contains(reason), qPrintable(m_dialogs->details.at(0)));
        QVERIFY(!m_dialogs->busyAtMessage);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QCOMPARE(editingEnabled(), afterGood);
        QCOMPARE(m_form->routeTable().rows(), afterGood ? 4 : 10);
        QCOMPARE(text("Edit_route_name"), afterGood ? S("EDITED") : QString());
        QCOMPARE(text("Edit_Filename"), afterGood ? m_dir->filePath(S("good.rte")) : QString());
        QCOMPARE(cell(RouteTable::ColName, 2), afterGood ? S("WPT002") : QString());
    }

    void badIconCellReportedOncePerText() {
        QByteArray badFirstIcon = GoodRoute;
        badFirstIcon.replace("40000.00000,  0,", "40000.00000,  x,");
        load(writeFile(S("bad icon.rte"), badFirstIcon));
        repaintGrid(3);
        // Reported once, from the abandoned import (drawing the cell does not report it
        // again); what it had enabled stays enabled, and the row's texts were shown before
        // the icon stopped the row load.
        QCOMPARE(m_dialogs->errorReports, QStringList{S("'  x' is not a valid integer value.")});
        QCOMPARE(text("Edit_waypoint"), S("WPT001"));
        QCOMPARE(m_form->routeState().selectedRow, 1);
        QVERIFY(editingEnabled());
        QVERIFY(!get<QPushButton>("Button_update_wpt")->isEnabled());
        QCOMPARE(QApplication::overrideCursor(), nullptr);

        // A new bad text is reported by the drawing, once however often the table repaints.
        m_form->routeTable().setCell(RouteTable::ColIcon, 2, S("y"));
        repaintGrid(3);
        QCOMPARE(m_dialogs->errorReports.mid(1),
                 QStringList{S("'y' is not a valid integer value.")});

        load(writeFile(S("a.rte"), GoodRoute)); // and the window goes on working
        QVERIFY(get<QPushButton>("Button_update_wpt")->isEnabled());
    }

    void selectAndAcceptThroughTheEditor() {
        load(writeFile(S("a.rte"), GoodRoute));
        auto* grid = get<QTableView>("StringGrid_Data");
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(text("Edit_waypoint"), S("WPT002"));
        QCOMPARE(get<QComboBox>("ComboBox_wpt_icon")->currentIndex(), 3);
        const QString longName = S("Meersburg harbour");
        m_form->routeTable().setCell(RouteTable::ColName, 3, longName);
        const QRect row3 = grid->visualRect(m_form->routeTable().index(2, RouteTable::ColName));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row3.center());
        QCOMPARE(text("Edit_waypoint"), longName);
        QCOMPARE(get<QLineEdit>("Edit_waypoint")->cursorPosition(), 0); // its start shows

        setText("Edit_waypoint", S("TOO LONG"));
        click("Button_update_wpt");
        QCOMPARE(m_dialogs->messages.size(), 1);
        QCOMPARE(cell(RouteTable::ColName, 3), longName);
        // The picker chooses the icon. The macro boxes are as the window starts them: the
        // icon goes to every row, the name to the selected row only.
        QTest::mouseClick(get<QWidget>("Image1"), Qt::LeftButton, {}, QPoint(100, 60));
        QCOMPARE(get<QComboBox>("ComboBox_wpt_icon")->currentIndex(), 22);
        setText("Edit_waypoint", S(" HOME "));
        click("Button_update_wpt");
        QCOMPARE(m_dialogs->messages.size(), 1);
        QCOMPARE(cell(RouteTable::ColName, 3), S("HOME"));
        QCOMPARE(cell(RouteTable::ColIcon, 1), S("22"));
    }

    // With a column widened past the view's edge, nothing scrolls the table sideways: the
    // "NO" column stays at the left, the columns without a header stay out of sight.
    void tableNeverScrollsSideways() {
        load(writeFile(S("a.rte"), GoodRoute));
        auto* grid = get<QTableView>("StringGrid_Data");
        grid->setColumnWidth(RouteTable::ColName, 400);
        QCoreApplication::processEvents(); // the view lays itself out anew
        grid->setFocus();
        QWheelEvent wheel(QPointF(50, 30), grid->viewport()->mapToGlobal(QPointF(50, 30)), QPoint(),
                          QPoint(-120, 0), Qt::NoButton, {}, Qt::NoScrollPhase, false);
        const std::function<void()> moves[] = {
            [grid] { QTest::keyClick(grid, Qt::Key_End); },
            [grid] { QTest::keyClick(grid, Qt::Key_Right); },
            [grid] { QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier); },
            [grid, &wheel] { QApplication::sendEvent(grid->viewport(), &wheel); },
            [this, grid] { grid->scrollTo(m_form->routeTable().index(2, RouteTable::ColTotal)); }};
        for (const auto& move : moves) {
            move();
            QCOMPARE(grid->horizontalScrollBar()->value(), 0);
            QCOMPARE(grid->columnViewportPosition(RouteTable::ColNo), 0);
        }
        for (int c = RouteTable::HeaderColumns; c < m_form->routeTable().columnCount(); ++c)
            QVERIFY(grid->isColumnHidden(c));
    }

    // The widest values of a real file, every header and every icon entry show whole.
    void everyValueShowsWhole() {
        load(writeFile(S("full.rte"), fixtures::routeFile(124)));
        QCOMPARE(m_dialogs->questions, QStringList()); // the device holds 124 points
        auto* grid = get<QTableView>("StringGrid_Data");
        const QFontMetrics metrics(grid->font());
        const int margin = grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1;
        const QList<std::pair<int, QStringList>> widest = {
            {RouteTable::ColNo, {S("124")}},
            {RouteTable::ColName, {S("WWWWWW"), S("TURNA0")}},
            {RouteTable::ColLatitude, {S(" -34.445850"), S("-90.000000")}},
            {RouteTable::ColLongitude, {S("-180.000000"), S(" -34.445850")}},
            {RouteTable::ColIcon, {S("255")}},
            {RouteTable::ColLeg, {S("99999.99")}},
            {RouteTable::ColTotal, {S("99999.99")}}};
        int total = 0;
        for (const auto& [column, texts] : widest) {
            const int width = grid->columnWidth(column);
            total += width;
            QVERIFY(grid->horizontalHeader()->sectionSizeHint(column) <= width);
            const int icon = column == RouteTable::ColIcon ? 12 + 2 : 0;
            for (const QString& value : texts)
                QVERIFY2(metrics.horizontalAdvance(value) + 2 * margin + icon <= width,
                         qPrintable(value));
        }
        QVERIFY(grid->isColumnHidden(RouteTable::ColDate));
        QVERIFY(grid->verticalScrollBar()->isVisible());
        QVERIFY2(total <= grid->viewport()->width(), qPrintable(QString::number(total)));

        auto* icons = get<QComboBox>("ComboBox_wpt_icon");
        icons->showPopup();
        const QFontMetrics listMetrics(icons->view()->font());
        for (const QString& entry : IconListEntries()) {
            QVERIFY2(listMetrics.horizontalAdvance(entry) + 2 * margin <=
                         icons->view()->viewport()->width(),
                     qPrintable(entry));
            QVERIFY2(listMetrics.horizontalAdvance(entry.trimmed()) + 4 <=
                         icons->lineEdit()->width(),
                     qPrintable(entry));
        }
        icons->hidePopup();
    }

    void typingInIconFieldSelects_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("entry"); // -1: none
        QTest::newRow("number") << S("11") << 11;
        QTest::newRow("name") << S("Resta") << 39;
        QTest::newRow("name, any case") << S("skI") << 24;
        QTest::newRow("entry text") << S("4  Tel") << 4;
        QTest::newRow("number beyond the list") << S("45") << -1;
        QTest::newRow("no such icon") << S("xyz") << -1;
    }

    // The entry follows the typing, with its preview and red square; Accept takes it, and
    // with no entry writes no icon.
    void typingInIconFieldSelects() {
        QFETCH(QString, typed);
        QFETCH(int, entry);
        load(writeFile(S("a.rte"), GoodRoute));
        auto* icons = get<QComboBox>("ComboBox_wpt_icon");
        icons->lineEdit()->selectAll();
        QTest::keyClicks(icons->lineEdit(), typed);
        QCOMPARE(icons->currentIndex(), entry);
        QCOMPARE(icons->currentText(), typed);
        const IconSheet sheet;
        QImage blank(24, 24, QImage::Format_RGB32);
        blank.fill(Qt::white);
        QCOMPARE(get<PictureView>("Image2")->image(),
                 entry < 0 ? blank : sheet.image().copy(IconSheet::IconCell(entry)));
        const QImage picker = get<PictureView>("Image1")->image();
        if (entry < 0)
            QCOMPARE(picker, sheet.image());
        else
            QCOMPARE(picker.pixel(IconSheet::IconCell(entry).topLeft()), qRgb(255, 0, 0));
        click("Button_update_wpt");
        QCOMPARE(cell(RouteTable::ColIcon, 2), entry < 0 ? S("  3") : QString::number(entry));
    }

    // A load measures once and draws once; a selection only frames its row anew, in the
    // picture a full refresh would draw; Accept measures again.
    void measuredOnceFramedPerSelection() {
        QSignalSpy measured(m_form.get(), &TForm1::routeMeasured);
        QSignalSpy drawn(m_form.get(), &TForm1::overviewDrawn);
        load(writeFile(S("a.rte"), GoodRoute));
        QCOMPARE(measured.count(), 1);
        QCOMPARE(drawn.count(), 1);
        get<QTableView>("StringGrid_Data")->selectRow(2);
        QCOMPARE(measured.count(), 1);
        QCOMPARE(drawn.count(), 2);
        const QImage framed = get<PictureView>("ImageRoute")->image();
        m_form->RefreshRoute(3);
        QCOMPARE(get<PictureView>("ImageRoute")->image(), framed);
        click("Button_update_wpt");
        QCOMPARE(measured.count(), 3);
    }

    // The list a multi-route file offers: names as the converter wrote them, and the
    // number of the chosen entry.
    void routeListShowsEachRoute() {
        const QList<RouteListEntry> routes = {{1, S("Lake shore"), 9, S("route")},
                                              {2, S("Caf\xe9 \x84Seeblick\x93"), 40, S("route")},
                                              {4, S("Morning walk"), 612, S("track")}};
        RouteListDialog dialog(routes);
        auto* list = dialog.findChild<QTreeWidget*>(S("RouteList"));
        QCOMPARE(list->topLevelItemCount(), 3);
        QCOMPARE(list->topLevelItem(1)->text(0), QString::fromUtf8("Café „Seeblick“"));
        QCOMPARE(dialog.chosenNumber(), 1);
        list->setCurrentItem(list->topLevelItem(2));
        QCOMPARE(dialog.chosenNumber(), 4);
        if (qEnvironmentVariableIsSet("RV58_ROUTE_LIST_SCREENSHOT")) {
            list->setCurrentItem(list->topLevelItem(0));
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QVERIFY(dialog.grab().save(qEnvironmentVariable("RV58_ROUTE_LIST_SCREENSHOT")));
        }
    }

    void routeChoiceAndFit_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("choice");   // the route list's answer; 0: cancelled
        QTest::addColumn<bool>("fit");     // the answer to the fit question
        QTest::addColumn<int>("count");    // waypoints shown; 0: the route before stays
        QTest::addColumn<QString>("name"); // the route name shown
        QTest::addColumn<QString>("message");
        const QString before = S("MYROUTE"); // of the route loaded first
        QTest::newRow("second of two routes")
            << S("two_routes.gpx") << 2 << false << 2 << S("Back") << "";
        QTest::newRow("track after a route")
            << S("mixed.gpx") << 2 << false << 2 << S("Walked") << "";
        QTest::newRow("route list cancelled")
            << S("two_routes.gpx") << 0 << false << 0 << before << "";
        QTest::newRow("long route fitted") << S("long_125.gpx") << 0 << true << 124 << S("Too long")
                                           << S("125 points reduced to 124; the route is ");
        QTest::newRow("long route not fitted")
            << S("long_125.gpx") << 0 << false << 0 << before << S("Route File Format Error!");
    }

    // A file of several routes asks for one, a route too long for the device asks to be
    // fitted; declining either keeps the route loaded before.
    void routeChoiceAndFit() {
        if (converterMissing())
            QSKIP("the converter program is not installed");
        QFETCH(QString, file);
        QFETCH(int, choice);
        QFETCH(bool, fit);
        QFETCH(int, count);
        QFETCH(QString, name);
        QFETCH(QString, message);
        const QString before = writeFile(S("good.rte"), GoodRoute);
        load(before);
        m_dialogs->chosenRoute = choice;
        m_dialogs->yesNoAnswers << fit;
        const QString path = S(RV58_TEST_DATA "/") + file;
        load(path);
        const bool long125 = file == S("long_125.gpx");
        QCOMPARE(m_dialogs->offeredRoutes, long125 ? QList<qsizetype>() : QList<qsizetype>{2});
        QCOMPARE(m_dialogs->questions, long125 ? QStringList{FitQuestion(125)} : QStringList());
        QCOMPARE(m_dialogs->messages.size(), message.isEmpty() ? 0 : 1);
        QCOMPARE(m_dialogs->messages.value(0).left(message.size()), message);
        QCOMPARE(text("Edit_Filename"), count ? path : before);
        QCOMPARE(text("Label_total_wpt"), QString::number(count ? count : 3));
        QCOMPARE(text("Edit_route_name"), name);
    }

    void slowLoadCanBeStopped_data() {
        QTest::addColumn<int>("how"); // 0: Cancel, 1: the window closed, 2: destroyed
        QTest::newRow("Cancel") << 0;
        QTest::newRow("window closed") << 1;
        QTest::newRow("window destroyed") << 2;
    }

    // The window stays responsive while the converter works; however the load is stopped,
    // the converter's folder goes and the route loaded before stays.
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
        QElapsedTimer clock;
        clock.start();
        m_dialogs->openAnswers << writeFile(S("trip.gpx"), "<gpx/>\n");
        click("Button_Browse");
        QVERIFY(m_form->isLoading()); // the click came back while the converter runs
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        for (const char* name : {"Button_Browse", "Button_GPX2RTE", "Button_save_rte"})
            QVERIFY2(!get<QWidget>(name)->isEnabled(), name);
        // The name field is not handed the focus, which would select and scroll its text.
        QVERIFY(get<QLineEdit>("Edit_waypoint")->selectedText().isEmpty());
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(before)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(m_form.get(), &enter);
        QVERIFY(!enter.isAccepted());
        auto* progress = m_form->findChild<QProgressDialog*>();
        QTRY_VERIFY(progress->isVisible());
        QVERIFY2(clock.elapsed() >= 900, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!QDir(temp).isEmpty()); // the converter's own folder

        if (how == 0)
            QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
        else if (how == 1)
            m_form->close();
        else
            m_form.reset();
        if (m_form)
            QTRY_VERIFY(!m_form->isLoading());
        QVERIFY(QDir(temp).isEmpty());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        if (!m_form)
            return;
        QVERIFY(m_dialogs->messages.isEmpty());
        QVERIFY(editingEnabled() && get<QWidget>("Button_Browse")->isEnabled());
        QCOMPARE(text("Edit_Filename"), before);
        QCOMPARE(text("Label_total_wpt"), S("3"));
    }

    void saveRoute_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("waypoint"); // the name given to row 2
        QTest::addColumn<QString>("answer");   // the save dialog's answer; empty: cancelled
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("agree");      // the answer to the warning about names or replacing
        QTest::addColumn<QString>("replace"); // the question before replacing a file
        QTest::newRow("name empty") << QString() << S("RIVER") << QString()
                                    << S("Input Length Error (Route Name)!") << false << "";
        QTest::newRow("name with underscore") << S("Trip_1") << S("RIVER") << QString()
                                              << S("Input Char Error (Route Name)!") << false << "";
        const QString trip = S("  Trip 2 "); // saved trimmed, left as typed in its field
        QTest::newRow("written") << trip << S("RIVER") << S("out.rte") << QString() << false << "";
        QTest::newRow("cancelled") << trip << S("RIVER") << QString() << QString() << false << "";
        QTest::newRow("cannot be written") << trip << S("RIVER") << S("no folder/out.rte")
                                           << S("RTE file write error.") << false << "";
        QTest::newRow("a folder") << trip << S("RIVER") << S("folder") << S("RTE file write error.")
                                  << true << "";
        // 0x80 is shown as the euro sign and written back as the byte it is.
        QTest::newRow("name unfit, saved anyway")
            << trip << S("R\x80VER") << S("out.rte") << QString() << true << "";
        QTest::newRow("name unfit, not saved")
            << trip << S("R\x80VER") << S("out.rte") << QString() << false << "";
        const QString replace = S("old.rte already exists. Replace it?");
        QTest::newRow("replaced") << trip << S("RIVER") << S("old.rte") << QString() << true
                                  << replace;
        QTest::newRow("not replaced")
            << trip << S("RIVER") << S("old.rte") << QString() << false << replace;
        QTest::newRow("the loaded file of two routes replaced")
            << trip << S("RIVER") << S("a.rte") << QString() << true
            << S("a.rte already exists. Replace it? It holds 1 other route, which will not be "
                 "kept: the saved file holds the chosen route only.");
    }

    void saveRoute() {
        QFETCH(QString, name);
        QFETCH(QString, waypoint);
        QFETCH(QString, answer);
        QFETCH(QString, message);
        QFETCH(bool, agree);
        QFETCH(QString, replace);
        QVERIFY(QDir(m_dir->path()).mkdir(S("folder")));
        const QString old = writeFile(S("old.rte"), "old\r\n");
        m_dialogs->chosenRoute = 1;
        load(writeFile(S("a.rte"), GoodRoute + "R,  1,OTHER,,\r\n"
                                               "W,  2,  1,  4,WPT004, 50.010000,   8.020000,"
                                               "40000.00000,  3, 1, 3\r\n"));
        setText("Edit_route_name", name);
        m_form->routeTable().setCell(RouteTable::ColName, 2, waypoint);
        QCOMPARE(m_form->routeTable().index(1, RouteTable::ColName).data().toString(),
                 QString(waypoint).replace(QChar(0x80), QChar(0x20AC)));
        const bool unfit = waypoint != S("RIVER");
        m_dialogs->confirmAnswers << agree << agree;
        if (!answer.isEmpty())
            m_dialogs->saveAnswers << m_dir->filePath(answer);
        click("Button_save_rte");
        QCOMPARE(m_dialogs->messages, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(text("Edit_route_name"), name);
        QStringList confirms;
        if (unfit)
            confirms << QString::fromUtf8(
                "Save anyway: 1 waypoint name does not fit the device (at most 6 characters of "
                "blank, 0-9, A-Z, a-z): R€VER. The Waypoint Name Change Macro renames them all.");
        if (!replace.isEmpty())
            confirms << S("Replace: ") + replace;
        QCOMPARE(m_dialogs->confirms, confirms);
        if (message.startsWith(S("Input")) || (unfit && !agree)) { // no save dialog
            QVERIFY(m_dialogs->saveProposals.isEmpty());
            return;
        }
        QCOMPARE(m_dialogs->saveProposals, QStringList{S("Trip 2.RTE")});
        QCOMPARE(m_dialogs->saveFilters, QStringList{S("RV58 route files (*.rte *.RTE)")});
        if (!message.isEmpty())
            QVERIFY(!m_dialogs->details.at(0).isEmpty());
        const bool written = !answer.isEmpty() && message.isEmpty() && (replace.isEmpty() || agree);
        const QString out = m_dir->filePath(S("out.rte"));
        QCOMPARE(QFile::exists(out), written && answer == S("out.rte"));
        QByteArray expected = GoodRoute;
        expected.replace("MYROUTE", "Trip 2").replace("WPT002", waypoint.toLatin1());
        if (written)
            QCOMPARE(readFile(m_dir->filePath(answer)), expected);
        QCOMPARE(readFile(old), written && answer == S("old.rte") ? expected : "old\r\n");
    }

    void unitSwitchReformatsRouteLength() {
        const auto options = get<QGroupBox>("RadioGroup_unit")->findChildren<QRadioButton*>();
        QTest::mouseClick(options.at(0), Qt::LeftButton); // "km", nothing measured: no change
        QCOMPARE(m_form->unitIndex(), 0);
        QCOMPARE(text("Label_route_len"), S("0.00 miles"));

        QTest::mouseClick(options.at(1), Qt::LeftButton);
        load(writeFile(S("a.rte"), GoodRoute));
        const QString miles = text("Label_route_len");
        QVERIFY(miles.endsWith(S("miles")));
        QTest::mouseClick(options.at(0), Qt::LeftButton);
        const QString kms = text("Label_route_len");
        QVERIFY2(kms.endsWith(S("km")), qPrintable(kms));
        QVERIFY(kms.chopped(2).toDouble() > miles.chopped(5).toDouble());
        QCOMPARE(cell(RouteTable::ColTotal, 3), kms.chopped(2));
    }

    void gpxToDeviceRouteEndToEnd() {
        if (converterMissing())
            QSKIP("the converter program is not installed");
        load(SampleGpx);

        // Every waypoint its own icon, then the names by the name macro.
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
            // The path as a user's own file would show, not the source tree's.
            setText("Edit_Filename", S("/home/anna/Routes/lake-shore.gpx"));
            QVERIFY(m_form->grab().save(qEnvironmentVariable("RV58_SCREENSHOT")));
        }

        setText("Edit_route_name", S("Lake shore"));
        const QString out = m_dir->filePath(S("LAKE.RTE"));
        m_dialogs->saveAnswers << out;
        click("Button_save_rte");
        QCOMPARE(m_dialogs->messages, QStringList());

        // What the device route must hold: the converter's own lines with the name and icon
        // fields of each waypoint put in, every other byte as the converter wrote it.
        const QString babel = GpsBabelConverter::defaultProgram();
        const QString converted = m_dir->filePath(S("converted.rte"));
        run(babel, {S("-r"), S("-i"), S("gpx"), S("-f"), SampleGpx, S("-o"), S("ozi"), S("-F"),
                    converted});
        QList<QByteArray> lines = readFile(converted).split('\n');
        const QStringList names =
            S("START TURN01 TURN02 TURN03 TURN04 TURN05 TURN06 TURN07 FINISH").split(' ');
        for (int i = 0; i < 9; ++i) {
            QList<QByteArray> fields = lines[5 + i].split(',');
            fields[4] = names.at(i).toLatin1();
            fields[8] = QByteArray::number(icons.at(i));
            lines[5 + i] = fields.join(',');
        }
        QCOMPARE(readFile(out), lines.join('\n'));

        // The device route read back by the converter keeps names, positions and route name.
        const QString back = QString::fromUtf8(run(
            babel, {S("-r"), S("-i"), S("ozi"), S("-f"), out, S("-o"), S("gpx"), S("-F"), S("-")}));
        QVERIFY2(back.contains(S("<name>Lake shore</name>")), qPrintable(back));
        QVERIFY(back.contains(S("<rtept lat=\"47.693500000\" lon=\"9.271000000\">")));
        for (const QString& name : names)
            QVERIFY2(back.contains(S("<name>%1</name>").arg(name)), qPrintable(name));
    }

    void windowAndCommandLineWriteTheSameBytes() {
        if (converterMissing())
            QSKIP("the converter program is not installed");
        // Blanks, quotes, a non-ASCII letter and a folder named like a GPX file: the path
        // reaches the converter as one argument and the type comes from the file's own name.
        const QString gpx = writeFile(QString::fromUtf8("my.gpx files/Trip 'one' \"Küste\".gpx"),
                                      readFile(SampleGpx));
        load(gpx);
        get<QComboBox>("ComboBox_wpt_icon")->setCurrentIndex(25);
        setText("Edit_waypoint", S("Lake"));
        get<QCheckBox>("CheckBox_wpt_name_change_macro")->setChecked(true);
        click("Button_update_wpt");
        setText("Edit_route_name", S("Shore 2"));
        const QString fromWindow = m_dir->filePath(S("window.rte"));
        m_dialogs->saveAnswers << fromWindow;
        click("Button_save_rte");
        QVERIFY2(m_dialogs->messages.isEmpty(), qPrintable(m_dialogs->details.value(0)));

        const QString fromCli = m_dir->filePath(S("cli.rte"));
        run(S(RV58_CLI), {S("convert"), gpx, S("-o"), fromCli, S("--route-name"), S("Shore 2"),
                          S("--row"), S("1"), S("--name"), S("Lake"), S("--icon"), S("25"),
                          S("--icon-macro"), S("--name-macro")});
        const QByteArray bytes = readFile(fromWindow);
        QVERIFY(bytes.contains(",Lake08,"));
        QCOMPARE(readFile(fromCli), bytes);
    }
};

int main(int argc, char** argv) {
    ErrorReportingApplication app(argc, argv);
    TestWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_window.moc"
