// SPDX-License-Identifier: GPL-3.0-or-later
// The main window driven as a user drives it: clicks go through the application's event
// delivery (so escaping errors reach the top-level report), and a script answers every
// dialog and keeps what would have been shown.
#include "RouteFileFixtures.h"

#include "app/Dialogs.h"
#include "app/ErrorReportingApplication.h"
#include "app/PictureView.h"
#include "app/RouteListDialog.h"
#include "app/StopRequests.h"
#include "app/TForm1.h"
#include "app/WindowRefusals.h"
#include "files/RouteImport.h"
#include "route/RouteTable.h"

#include <QtTest>
#include <QtWidgets>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

// Answers the dialogs in turn from its lists and logs each text a dialog showed.
struct ScriptedDialogs : Dialogs {
    QStringList files;  // the open and save dialogs' answers; none left: cancelled
    QList<int> answers; // confirm, yes/no and route list answers; none left: Cancel
    QStringList shown;  // what the dialogs showed, in turn

    template <class T> static T next(QList<T>& l) { return l.isEmpty() ? T() : l.takeFirst(); }
    int ask(const QString& text) {
        shown << text;
        return next(answers);
    }
    QString getOpenFileName(const QString&) override { return next(files); }
    QString getSaveFileName(const QString& proposedName, const QString&) override {
        shown << u"save as "_s + proposedName;
        return next(files);
    }
    void useFolderOf(const QString&) override {}
    // A box must come up with the normal pointer; a refusal says why, and what to do when
    // there is something to do.
    void message(const QString& text) override {
        shown << text + (QApplication::overrideCursor() ? u" (busy)"_s : QString());
    }
    void refusal(const Refusal& r) override {
        message(r.headline + (r.reason.isEmpty() ? u" (no reason)"_s : QString()) +
                (r.remedy.isEmpty() ? QString() : u" "_s + r.remedy));
    }
    void errorReport(const QString& text) override { shown << u"error "_s + text; }
    bool confirm(const QString& t, const QString& ok) override { return ask(ok + u": "_s + t); }
    bool askYesNo(const QString& text) override { return ask(text); }
    int chooseRoute(const QList<RouteListEntry>& r) override { return ask(u"%1"_s.arg(r.size())); }
};

const QByteArray GoodRoute = fixtures::routeFile(3, "\r\n", "MYROUTE");

// Saves a picture of `widget` for the documentation when the variable `env` names a file.
void screenshot(QWidget* widget, const char* env) {
    if (!qEnvironmentVariableIsSet(env))
        return;
    widget->show();
    QVERIFY(QTest::qWaitForWindowExposed(widget));
    QVERIFY(widget->grab().save(qEnvironmentVariable(env)));
}

// Dialog buttons in the order a GNOME desktop gives them, where a message's Show Details
// button comes before OK.
struct GnomeButtonOrder : QProxyStyle {
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        return hint == SH_DialogButtonLayout
                   ? QDialogButtonBox::GnomeLayout
                   : QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

// A person at the keyboard, answering each dialog in turn. A dialog is answered once it has
// been up for longer than a progress dialog waits, and only when it is the one expected,
// captioned as the program is called, holds the keyboard, and no other window shows.
class KeyboardPerson : public QObject {
public:
    struct Step {
        QString dialog; // "file dialog", "route list", or the start of a message box's text
        std::function<void(QWidget* keyboard)> keys;
    };
    QList<Step> steps;
    QStringList problems;
    int answered = 0;

    explicit KeyboardPerson(QWidget* window) : m_window(window) {
        connect(&m_timer, &QTimer::timeout, this, &KeyboardPerson::look);
        m_timer.start(50);
    }
    bool done() const { return answered == steps.size() || !problems.isEmpty(); }

private:
    static QString kindOf(QWidget* w) {
        if (auto* box = qobject_cast<QMessageBox*>(w))
            return box->text();
        if (qobject_cast<QFileDialog*>(w))
            return u"file dialog"_s;
        if (w->objectName() == u"RouteListDialog"_s)
            return u"route list"_s;
        return QString::fromLatin1(w->metaObject()->className());
    }
    void look() {
        QWidget* top = QApplication::activeModalWidget();
        if (top && top == m_answered) { // closing, unless the answer did not close it
            if (m_since.elapsed() > 3000) {
                problems << u"%1 is still up after its answer"_s.arg(kindOf(top));
                top->close();
            }
            return;
        }
        if (!top || top != m_seen) {
            m_seen = top;
            m_since.start();
            return;
        }
        const bool file = qobject_cast<QFileDialog*>(top);
        if (done()) { // an unexpected dialog after a problem is closed, so the walk ends
            top->close();
            return;
        }
        if (!file && m_since.elapsed() < 1300)
            return;
        QString problem;
        const Step& step = steps.at(answered);
        for (QWidget* other : QApplication::topLevelWidgets())
            if (other->isVisible() && other != top && other != m_window &&
                !(other->windowType() & (Qt::Popup | Qt::ToolTip) & ~Qt::Window))
                problem += u" %1 shows too;"_s.arg(kindOf(other) + u' ' + other->windowTitle());
        QWidget* keyboard = QApplication::focusWidget();
        if (!keyboard || !top->isAncestorOf(keyboard))
            problem += u" the keyboard is elsewhere;"_s;
        if (!kindOf(top).startsWith(step.dialog) ||
            (!file && top->windowTitle() != u"Tst_window"_s))
            problem += u" %1 (%2) is up;"_s.arg(kindOf(top), top->windowTitle());
        if (!problem.isEmpty()) {
            problems << u"%1 expected:%2"_s.arg(step.dialog, problem);
            return;
        }
        ++answered;
        m_answered = top;
        m_since.start();
        // From the event loop, not this timer's slot, so a dialog the keys open is answered too.
        QTimer::singleShot(0, keyboard, [keys = step.keys, keyboard] { keys(keyboard); });
    }

    QWidget* m_window;
    QTimer m_timer;
    QPointer<QWidget> m_seen;
    QPointer<QWidget> m_answered;
    QElapsedTimer m_since;
};

} // namespace

class TestWindow : public QObject {
    Q_OBJECT

    template <class T = QWidget> T* get(const char* name) {
        return m_form->control<T>(QString::fromLatin1(name));
    }
    QString text(const char* name) { return get(name)->property("text").toString(); }
    void setText(const char* name, const QString& text) { get(name)->setProperty("text", text); }
    void click(const char* button) { QTest::mouseClick(get(button), Qt::LeftButton); }
    QString cell(int column, int row) { return m_form->routeTable().cell(column, row); }
    void accept(const QString& name) {
        setText("Edit_waypoint", name);
        click("Button_update_wpt");
    }
    QString writeFile(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir->filePath(name);
        return fixtures::writeFile(path, bytes) ? path : QString();
    }
    void load(const QString& path) {
        m_dialogs->files << path;
        click("Button_Browse");
        QTRY_VERIFY_WITH_TIMEOUT(!m_form->isLoading(), 30000);
    }
    // Drags `urls` from a file manager onto the window and drops them there; true when the
    // window took the drag (and has loaded the file).
    bool drop(const QList<QUrl>& urls) {
        QMimeData mime;
        mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(m_form.get(), &enter);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(m_form.get(), &drop);
        return enter.isAccepted() && QTest::qWaitFor([this] { return !m_form->isLoading(); });
    }
    bool editingEnabled() {
        return get("Panel1")->isEnabled() && get("StringGrid_Data")->isEnabled() &&
               get("Button_save_rte")->isEnabled();
    }

    const QString m_filesFolder = QDir::tempPath(); // taken before main moves the temp folder
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<TForm1> m_form;

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>(m_filesFolder + u"/rv58-window-XXXXXX"_s);
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
        QVERIFY2(QDir::temp().isEmpty(), "a converter's folder was left behind");
    }

    // Every load, as the first one (a refusal leaves everything disabled) and after a good
    // file, whose route, table, enabled controls and unsaved edits stay unless the new one
    // is taken: refusals, the choice among routes and the fit of one too long.
    void loadOutcomes_data() {
        QTest::addColumn<bool>("afterGood");
        QTest::addColumn<QString>("file"); // .gpx: a test data file; else in the test folder
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("taken"); // route name and waypoints; empty: the one before stays
        const auto row = [](bool afterGood, const char* what, const char* file,
                            const QByteArray& bytes, int answer, const QStringList& shown,
                            const char* taken = "") {
            QTest::addRow("%s%s", what, afterGood ? "" : ", first load")
                << afterGood << QString::fromLatin1(file) << bytes << answer << shown
                << QString::fromLatin1(taken);
        };
        const QString format = u"Route File Format Error!"_s;
        for (bool afterGood : {false, true}) {
            row(afterGood, "not a route file", "notes.rte", "Just some notes\r\n", 0, {format});
            row(afterGood, "one waypoint too many", "long.rte", fixtures::routeFile(125), 0,
                {FitQuestion(125),
                 format + ' ' + WayForward(Cause::RouteTooLong, Audience::Window)});
        }
        // The first row's icon cannot be read: reported once, and the route is still taken.
        QByteArray badIcon = GoodRoute;
        row(true, "bad icon", "bad.rte", badIcon.insert(badIcon.indexOf(", 1, 3,"), 'x'), 0,
            {u"error '3x' is not a valid integer value."_s}, "MYROUTE 3");
        row(true, "route without waypoints", "empty.rte",
            fixtures::header() + fixtures::routeLine("EMPTY"), 0, {}, "EMPTY 0");
        // Two routes offered: the second taken, or none.
        row(true, "second of two routes", "two_routes.gpx", {}, 2, {u"2"_s}, "Back 2");
        row(true, "route list cancelled", "two_routes.gpx", {}, 0, {u"2"_s});
        row(true, "long route fitted", "long_125.gpx", {}, 1,
            {FitQuestion(125), u"125 points reduced to 124; the route is "_s}, "Too long 124");
    }

    void loadOutcomes() {
        QFETCH(bool, afterGood);
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(int, answer);
        QFETCH(QStringList, shown);
        QFETCH(QString, taken);
        const QString before = afterGood ? writeFile(u"good.rte"_s, GoodRoute) : QString();
        if (afterGood)
            load(before);
        m_dialogs->answers = {answer};
        const QString path =
            file.endsWith(u".gpx"_s) ? u"" RV58_TEST_DATA "/"_s + file : writeFile(file, bytes);
        load(path);
        if (shown.value(shown.size() - 1).endsWith(' ') && m_dialogs->shown.size() == shown.size())
            m_dialogs->shown.last().truncate(shown.last().size()); // goes on with figures
        QCOMPARE(m_dialogs->shown, shown);
        QCOMPARE(editingEnabled(), afterGood);
        const QString kept = afterGood ? u"MYROUTE 3"_s : u" 0"_s;
        QCOMPARE(text("Edit_route_name") + ' ' + text("Label_total_wpt"),
                 taken.isEmpty() ? kept : taken);
        QCOMPARE(text("Edit_Filename"), taken.isEmpty() ? before : path);
        QCOMPARE(m_form->routeTable().rows(), afterGood ? text("Label_total_wpt").toInt() + 1 : 10);
        // The overview shows the route on show, and nothing when it has no waypoints.
        QImage blank(get<PictureView>("ImageRoute")->image());
        blank.fill(Qt::white);
        QCOMPARE(get<PictureView>("ImageRoute")->image() == blank, text("Label_total_wpt") == "0");
    }

    // A dropped file loads as by Load Route, every cell shows its text (not only the "NO"
    // column drawn before it), and with a column widened past the view's edge nothing
    // scrolls the table sideways, nor takes the user's width back.
    void droppedRouteNeverScrollsSideways() {
        const QString path = writeFile(u"full.rte"_s, fixtures::routeFile(124));
        QVERIFY(!drop({QUrl::fromLocalFile(writeFile(u"a.txt"_s, "x"))}));
        QVERIFY(drop({QUrl::fromLocalFile(path)}));
        QCOMPARE(text("Edit_Filename"), QDir::toNativeSeparators(path));
        auto* grid = get<QTableView>("StringGrid_Data");
        const auto shownCell = [&](int row, int column = 1) {
            return grid->viewport()
                ->grab(grid->visualRect(m_form->routeTable().index(row, column)))
                .toImage();
        };
        QVERIFY(shownCell(2) != shownCell(3)); // names differ
        // The "NO" cell of the selected first row is a header section, not a selected cell.
        const QImage number = shownCell(0, 0);
        QVERIFY(number.pixelColor(number.rect().center()) !=
                grid->palette().color(QPalette::Highlight));
        grid->setColumnWidth(RouteTable::ColName, 400);
        QWheelEvent wheel(QPointF(50, 30), grid->viewport()->mapToGlobal(QPointF(50, 30)), QPoint(),
                          QPoint(-120, 0), Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid->viewport(), &wheel);
        QCoreApplication::processEvents();
        QCOMPARE(grid->horizontalScrollBar()->value() + grid->columnViewportPosition(0), 0);
        QCOMPARE(grid->columnWidth(RouteTable::ColName), 400); // the user's width stays
    }

    // The list a multi-route file offers: numbers, names as the converter wrote them, an
    // unnamed route marked as such, every entry whole in rows of a table's height, and the
    // number of the chosen entry.
    void routeListShowsEachRoute() {
        RouteListDialog dialog(
            {{1, u"Lake shore"_s, 9, u"route"_s},
             {2, QString(), 40, u"route"_s},
             {4, u"Café „Seeblick“ to the old mill by the northern shore"_s, 612, u"track"_s}});
        screenshot(&dialog, "RV58_ROUTE_LIST_SCREENSHOT");
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* list = dialog.findChild<QTreeWidget*>(u"RouteList"_s);
        QCOMPARE(list->topLevelItem(1)->text(0) + list->topLevelItem(1)->text(1), u"2(no name)"_s);
        QCOMPARE(list->topLevelItem(1)->foreground(1).color(),
                 list->palette().color(QPalette::PlaceholderText));
        for (int c = 0; c < list->columnCount(); ++c)
            QVERIFY(list->columnWidth(c) >=
                    static_cast<QAbstractItemView*>(list)->sizeHintForColumn(c));
        QCOMPARE(list->visualItemRect(list->topLevelItem(0)).height(),
                 QTableView().verticalHeader()->defaultSectionSize());
        list->setCurrentItem(list->topLevelItem(2));
        QCOMPARE(list->currentItem()->text(1).left(15) + QString::number(dialog.chosenNumber()),
                 u"Café „Seeblick“4"_s);
    }

    // An error that escapes an event ends with one full stop (or a mark below it).
    void errorReportEndsWithOneStop() {
        QCOMPARE(ErrorReportText(u"'y' is no number"_s) + ErrorReportText(u"|Stopped."_s) +
                     ErrorReportText(u"|(x)"_s) + ErrorReportText(QString()),
                 u"'y' is no number.|Stopped.|(x)"_s);
    }

    // What the window says under the headline of its own refusals: the reason, naming what
    // was refused, and the way forward.
    void windowRefusalsSayWhy_data() {
        QTest::addColumn<QString>("headline");
        QTest::addColumn<QStringList>("input"); // name, latitude, longitude; or route name
        QTest::addColumn<QString>("said");
        const QString name = WayForward(Cause::WaypointName, Audience::Window);
        const QString file = WayForward(Cause::Coordinates, Audience::Window);
        const QString route = WayForward(Cause::RouteName, Audience::Window);
        const auto row = [](const char* what, const char* headline, const QStringList& input,
                            const QString& said) {
            QTest::newRow(what) << QString::fromLatin1(headline) << input << said;
        };
        row("name too long", Message::NameLength, {u" TOO LONG "_s, u"1"_s, u"2"_s},
            u"The name \"TOO LONG\" has 8 characters; the device takes 6 at most.\n"_s + name);
        row("latitude too long", Message::LatitudeLength, {QString(), u"-48.1234567"_s, u"2"_s},
            u"The latitude \"-48.1234567\" of this waypoint has 11 characters; the device reads "
            "at most 9 after a sign.\n"_s +
                file);
        row("longitude character", Message::LongitudeChar, {QString(), u"1"_s, u"-11,5"_s},
            u"The longitude \"-11,5\" of this waypoint holds \",\"; the device reads digits and "
            "a point after a sign.\n"_s +
                file);
        row("route name empty", Message::RouteNameLength, {u"  "_s},
            u"The route name is empty.\n"_s + route);
    }

    void windowRefusalsSayWhy() {
        QFETCH(QString, headline);
        QFETCH(QStringList, input);
        QFETCH(QString, said);
        const Refusal refusal = input.size() == 3
                                    ? WaypointInputRefusal(headline, input[0], input[1], input[2])
                                    : RouteNameRefusal(headline, input[0]);
        QCOMPARE(refusal.headline + '\n' + refusal.explanation(), headline + '\n' + said);
    }

    // The window stays responsive while the converter works, with the wait pointer, a
    // progress dialog and the load and save buttons off; stopped by Cancel or by the window
    // going, the converter ends, its folder goes and the route loaded before stays.
    void slowLoadCanBeStopped() {
        const QString before = writeFile(u"good.rte"_s, GoodRoute);
        load(before);
        const QString slow = writeFile(u"slow"_s, "#!/bin/sh\nexec sleep 30\n");
        QFile::setPermissions(slow, QFile::ReadOwner | QFile::ExeOwner);
        m_form->setConverter(GpsBabelConverter(slow));
        // Cancel, the system asking the program to stop, and the window going.
        int ended = 0;
        for (int how : {0, 2, 1}) {
            m_dialogs->files << writeFile(u"trip.gpx"_s, "<gpx/>\n");
            click("Button_Browse");
            QVERIFY(m_form->isLoading() &&
                    QApplication::overrideCursor()->shape() == Qt::WaitCursor);
            QVERIFY(!get("Button_Browse")->isEnabled() && !get("Button_save_rte")->isEnabled());
            auto* progress = m_form->findChild<QProgressDialog*>();
            QTRY_VERIFY(progress->isVisible());
            std::unique_ptr<StopRequests> stop;
            if (how == 0) {
                QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
            } else if (how == 1) {
                m_form.reset();
            } else {
                stop = std::make_unique<StopRequests>(*m_form, [&](int s) { ended = s; });
                QCOMPARE(::raise(SIGHUP), 0);
                QTRY_VERIFY(ended == 129 && !m_form->isVisible());
                m_form->show();
            }
            QTRY_VERIFY(!m_form || !m_form->isLoading());
            QVERIFY(QDir::temp().isEmpty() && !QApplication::overrideCursor());
            if (m_form)
                QCOMPARE(text("Edit_Filename") + text("Label_total_wpt") +
                             QString::number(editingEnabled() && get("Button_Browse")->isEnabled()),
                         before + u"31"_s);
        }
    }

    // The walk of a person at the keyboard through the real dialogs: a GPX file that is not
    // one, refused with the converter's output behind Details; a file of two routes, the
    // second too long, refused; then fitted, saved and loaded again. Each dialog comes up
    // alone, with the keyboard; Return closes a message, whatever the desktop's button order;
    // file dialogs open where the last file was opened or saved.
    void keyboardWalkThroughRealDialogs() {
        m_form->setDialogs(nullptr);
        const QString style = QApplication::style()->name();
        QApplication::setStyle(new GnomeButtonOrder);
        const auto restoreStyle = qScopeGuard([&style] { QApplication::setStyle(style); });
        const QString path =
            writeFile(u"walk.gpx"_s, fixtures::readFile(u"" RV58_TEST_DATA "/walk.gpx"_s));
        const auto type = [](const QString& text) {
            return [text](QWidget* keyboard) {
                QTest::keyClick(keyboard, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClicks(keyboard, text);
                QTest::keyClick(keyboard, Qt::Key_Return);
            };
        };
        const auto press = [](Qt::Key key) {
            return [key](QWidget* keyboard) { QTest::keyClick(keyboard, key); };
        };
        const auto secondRoute = [](QWidget* keyboard) {
            QTest::keyClick(keyboard, Qt::Key_Down);
            QTest::keyClick(keyboard, Qt::Key_Return);
        };
        QVERIFY(QDir(m_dir->path()).mkdir(u"saved"_s));
        KeyboardPerson person(m_form.get());
        person.steps = {{u"file dialog"_s, type(writeFile(u"notes.gpx"_s, "notes\n"))},
                        {Message::text(Message::ConversionFailed), press(Qt::Key_Return)},
                        {u"file dialog"_s, type(path)},
                        {u"route list"_s, secondRoute},
                        {FitQuestion(130), press(Qt::Key_N)},
                        {u"Route File Format Error!"_s, press(Qt::Key_Return)},
                        {u"file dialog"_s, type(u"walk.gpx"_s)},
                        {u"route list"_s, secondRoute},
                        {FitQuestion(130), press(Qt::Key_Return)},
                        {u"130 points reduced to 124; the route is "_s, press(Qt::Key_Return)},
                        {u"file dialog"_s, type(u"saved/WALK.RTE"_s)},
                        {u"file dialog"_s, type(u"WALK.RTE"_s)}}; // where the save went
        for (const auto& [button, steps] :
             {std::pair("Button_Browse", 2), std::pair("Button_Browse", 6),
              std::pair("Button_Browse", 10), std::pair("Button_save_rte", 11),
              std::pair("Button_Browse", 12)}) {
            if (!get(button)->isEnabled())
                break;
            click(button);
            QTRY_VERIFY_WITH_TIMEOUT((person.answered == steps && !m_form->isLoading()) ||
                                         !person.problems.isEmpty(),
                                     60000);
            QCOMPARE(m_form->focusWidget(), get(button)); // the keyboard goes on from there
        }
        QVERIFY2(person.problems.isEmpty(), qPrintable(person.problems.join('\n')));
        const QByteArray saved = fixtures::readFile(m_dir->filePath(u"saved/WALK.RTE"_s));
        QCOMPARE(QString::number(saved.count("\nW,")) + text("Edit_route_name"), u"124Long way"_s);
    }

    void saveRoute_data() {
        QTest::addColumn<QString>("waypoint"); // row 2's new name
        QTest::addColumn<QString>("answer");   // the save dialog's answer
        QTest::addColumn<int>("agree");        // to the warning about names or replacing: saved
        QTest::addColumn<QString>("shown");
        const QString as = u"save as Trip 2.RTE"_s, river = u"RIVER"_s, rover = u"R\x80VER"_s;
        const QString replace = as + u"|Replace: %1 already exists. Replace it?"_s;
        // 0x80 is shown as the euro sign and written back as the byte it is.
        const QString unfit = u"Save anyway: 1 waypoint name does not fit the device (at most 6 "
                              "characters of blank, 0-9, A-Z, a-z): R€VER. The Waypoint Name "
                              "Change Macro renames them all."_s;
        QTest::newRow("name unfit, saved anyway") << rover << u"out.rte"_s << 1 << unfit + '|' + as;
        QTest::newRow("name unfit, not saved") << rover << u"out.rte"_s << 0 << unfit;
        QTest::newRow("not replaced") << river << u"old.rte"_s << 0 << replace.arg(u"old.rte"_s);
        QTest::newRow("the loaded file of two routes replaced")
            << river << u"a.rte"_s << 1
            << replace.arg(u"a.rte"_s) + u" It holds 1 other route, which will not be kept: the "
                                         "saved file holds the chosen route only."_s;
    }

    void saveRoute() {
        QFETCH(QString, waypoint);
        QFETCH(QString, answer);
        QFETCH(int, agree);
        QFETCH(QString, shown);
        QMap<QString, QByteArray> files = {
            {u"out.rte"_s, QByteArray()},
            {u"old.rte"_s, "old\r\n"},
            {u"a.rte"_s, GoodRoute + fixtures::routeLine("OTHER") +
                             fixtures::waypointLine(4, "WP4", "48.010000", "11.010000")}};
        writeFile(u"old.rte"_s, files[u"old.rte"_s]);
        m_dialogs->answers = {1, agree}; // the first route, then the warning
        load(writeFile(u"a.rte"_s, files[u"a.rte"_s]));
        setText("Edit_route_name", u"  Trip 2 "_s); // saved trimmed
        m_form->routeTable().setCell(RouteTable::ColName, 2, waypoint);
        m_dialogs->files << m_dir->filePath(answer);
        click("Button_save_rte");
        QCOMPARE(m_dialogs->shown.join('|'), u"2|"_s + shown); // after the route list
        if (agree)
            files[answer] = QByteArray(GoodRoute)
                                .replace("MYROUTE", "Trip 2")
                                .replace("WP2", waypoint.toLatin1());
        for (auto file = files.cbegin(); file != files.cend(); ++file)
            QCOMPARE(fixtures::readFile(m_dir->filePath(file.key())), file.value());
    }

    // Every edit that changes what Save writes, the route name as typed included, undone and
    // redone from the keyboard: the table, totals, overview, route name and selected row come
    // back as they were, and so do the saved bytes. A refused Accept, an Accept that changes
    // nothing and a refused load make no step and keep the history; a new load clears it.
    void editsUndoneAndRedone() {
        m_form->activateWindow(); // the keys are the active window's
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        const QString path = writeFile(u"good.rte"_s, GoodRoute);
        load(path);
        auto* grid = get<QTableView>("StringGrid_Data");
        auto* routeName = get<QLineEdit>("Edit_route_name");
        auto* icons = get<QComboBox>("ComboBox_wpt_icon");
        const auto save = [&] { // into a new file each time, as each save adds to `shown`
            const QString file = m_dir->filePath(u"%1.rte"_s.arg(m_dialogs->shown.size()));
            m_dialogs->files << file;
            click("Button_save_rte");
            return fixtures::readFile(file);
        };
        const auto state = [&] {
            QString cells;
            for (int row = 1; row < m_form->routeTable().rows(); ++row)
                for (int column = 0; column < RouteTable::HeaderColumns; ++column)
                    cells += cell(column, row) + '|';
            const QImage overview = get<PictureView>("ImageRoute")->image();
            return cells + text("Label_total_wpt") + text("Label_route_len") + routeName->text() +
                   QString::number(grid->currentIndex().row()) + ' ' +
                   QString::number(qHashBits(overview.constBits(), overview.sizeInBytes()));
        };
        const auto editorAndMenu = [&] {
            QString shown = text("Edit_waypoint") + ' ' + QString::number(icons->currentIndex());
            for (const QAction* action : grid->actions())
                shown += '|' + action->text() + (action->isEnabled() ? "" : " (off)");
            return shown;
        };
        grid->selectRow(1);
        QStringList states{state()};
        const QByteArray unedited = save();
        // While the route name field has the keyboard, Ctrl+Z undoes its own typing.
        routeName->setFocus();
        QTest::keyClicks(routeName, u"X"_s);
        QTest::keyClick(routeName, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(routeName->text(), u"MYROUTE"_s);
        QTest::keyClick(routeName, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(routeName, u"TRIP2"_s);
        QTest::keyClick(routeName, Qt::Key_Return);
        states << state();
        accept(u"TOO LONG"_s);
        get<QCheckBox>("CheckBox_ICON_CHANGE_MACRO")->setChecked(false);
        get<QCheckBox>("CheckBox_wpt_name_change_macro")->setChecked(true);
        accept(QString());
        states << state();
        get<QCheckBox>("CheckBox_wpt_name_change_macro")->setChecked(false);
        icons->setCurrentIndex(12);
        accept(u"HOME"_s);
        accept(u"HOME"_s);
        states << state();
        const QByteArray edited = save();
        grid->selectRow(0); // undone, an Accept selects its own row again
        const QStringList menus = {u" 3|Undo (off)|Redo route name"_s,
                                   u" 3|Undo route name|Redo name macro"_s,
                                   u"HOME 12|Undo name macro|Redo Accept"_s};
        for (int step = 3; step > 0; --step) {
            QTest::keyClick(m_form.get(), Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(state(), states.at(step - 1));
            QCOMPARE(editorAndMenu(), menus.at(step - 1));
        }
        QCOMPARE(save(), unedited);
        for (int step = 1; step <= 3; ++step) {
            QTest::keyClick(m_form.get(), step == 2 ? Qt::Key_Y : Qt::Key_Z,
                            Qt::ControlModifier | (step == 2 ? Qt::NoModifier : Qt::ShiftModifier));
            QCOMPARE(state(), states.at(step));
        }
        click("Button_update_wpt"); // the row and fields shown: changes nothing
        QCOMPARE(save(), edited);
        load(writeFile(u"notes.rte"_s, "Just some notes\r\n"));
        QCOMPARE(editorAndMenu(), u"HOME 12|Undo Accept|Redo (off)"_s);
        load(path);
        QCOMPARE(editorAndMenu(), u"WP1 3|Undo (off)|Redo (off)"_s);
    }

    // Every value and every header of the table whole, in the font its cells are painted
    // with: as the window starts, with a larger system font, and after the platform has given
    // item views a font of their own while the window shows.
    void everyValueWhole_data() {
        QTest::addColumn<int>("fontChange");
        QTest::newRow("default font") << 0;
        QTest::newRow("system font one point larger") << 1;
        QTest::newRow("item views given a bold font while shown") << 2;
    }

    void everyValueWhole() {
        QFETCH(int, fontChange);
        const QFont systemFont = QApplication::font();
        QFont changed = systemFont;
        if (fontChange == 1) {
            changed.setPointSizeF(systemFont.pointSizeF() + 1);
            QApplication::setFont(changed);
            init();
        }
        QByteArray bytes = fixtures::header() + fixtures::routeLine("WIDE");
        for (int i = 1; i <= 124; ++i)
            bytes += fixtures::waypointLine(i, "WWWWWW", i % 2 ? "-89.999999" : "-89.990000",
                                            "-180.000000", i % 2 ? "255" : "100");
        load(writeFile(u"wide.rte"_s, bytes));
        if (fontChange == 2) {
            changed.setBold(true);
            QApplication::setFont(changed, "QAbstractItemView");
        }
        auto* grid = get<QTableView>("StringGrid_Data");
        const auto cutColumns = [grid] {
            QString cut;
            // Names may be longer than the device takes; they give way to the numbers.
            for (int c = 0; c < grid->model()->columnCount(); ++c) {
                const int cells = c == RouteTable::ColName
                                      ? 0
                                      : static_cast<QAbstractItemView*>(grid)->sizeHintForColumn(c);
                if (!grid->isColumnHidden(c) &&
                    grid->columnWidth(c) <
                        qMax(cells, grid->horizontalHeader()->sectionSizeHint(c)))
                    cut += u" %1: %2 < %3, %4;"_s.arg(c)
                               .arg(grid->columnWidth(c))
                               .arg(cells)
                               .arg(grid->horizontalHeader()->sectionSizeHint(c));
            }
            if (grid->horizontalHeader()->length() > grid->viewport()->width())
                cut += u" past the right edge"_s;
            return cut;
        };
        QTRY_COMPARE(cutColumns(), QString());
        QCOMPARE(grid->font().bold(), fontChange == 2);
        QApplication::setFont(systemFont);
        QApplication::setFont(systemFont, "QAbstractItemView");
    }

    // A GPX file through the real converter, edited as a user edits it and saved: the
    // converter's own lines with the name and icon fields of each waypoint put in, every
    // other byte as the converter wrote it. On the way, refused edits change nothing and a
    // cell's bad icon text is reported by the drawing once, however often the table repaints.
    void gpxToDeviceRouteEndToEnd() {
        QSignalSpy measured(m_form.get(), &TForm1::routeMeasured);
        QSignalSpy drawn(m_form.get(), &TForm1::overviewDrawn);
        // Blanks, quotes and a non-ASCII letter: the path reaches the converter as one argument.
        const QString sample = u"" RV58_SOURCE_DIR "/examples/lake-shore.gpx"_s;
        load(writeFile(u"Trip 'one' \"Küste\".gpx"_s, fixtures::readFile(sample)));
        auto* grid = get<QTableView>("StringGrid_Data");
        auto* icons = get<QComboBox>("ComboBox_wpt_icon");
        grid->selectRow(2);
        accept(u"TOO LONG"_s); // refused, the cell as it was
        // As the window starts, the icon goes to every row and the name to this row only.
        grid->selectRow(1);
        icons->setCurrentIndex(24);
        accept(u" HOME "_s);
        QTest::mouseClick(get<QGroupBox>("RadioGroup_unit")->findChildren<QRadioButton*>().at(0),
                          Qt::LeftButton);
        QCOMPARE(cell(RouteTable::ColName, 3) + cell(RouteTable::ColName, 2) +
                     cell(RouteTable::ColIcon, 9) + text("Label_route_len"),
                 u"Vineyard pathHOME24"_s + cell(RouteTable::ColTotal, 9) + u"km"_s);
        m_form->routeTable().setCell(RouteTable::ColIcon, 2, u"y"_s);
        for (int i = 0; i < 3; ++i)
            grid->viewport()->repaint();
        QCoreApplication::processEvents();
        m_form->routeTable().setCell(RouteTable::ColIcon, 2, u"24"_s);
        get<QCheckBox>("CheckBox_ICON_CHANGE_MACRO")->setChecked(false);
        get<QCheckBox>("CheckBox_wpt_name_change_macro")->setChecked(true);
        const QList<int> iconOf = {1, 12, 17, 22, 25, 33, 39, 42, 44};
        for (int row = 0; row < iconOf.size(); ++row) {
            grid->selectRow(row);
            icons->setCurrentIndex(iconOf.at(row));
            accept(QString());
        }
        // The path as a user's own file would show in the documentation's picture.
        setText("Edit_Filename", u"/home/anna/Routes/lake-shore.gpx"_s);
        screenshot(m_form.get(), "RV58_SCREENSHOT");
        m_dialogs->files << m_dir->filePath(u"LAKE.RTE"_s);
        click("Button_save_rte");
        // One measurement for the load and for each Accept, refused or not, and none for a
        // selection, which only draws the overview anew.
        QCOMPARE(u"%1 %2"_s.arg(measured.count()).arg(drawn.count()), u"12 23"_s);
        QCOMPARE(m_dialogs->shown.join('|'),
                 u"Input Length Error (Name)! "_s +
                     WayForward(Cause::WaypointName, Audience::Window) +
                     u"|error 'y' is not a valid integer value.|save as Lake shore.RTE"_s);

        QProcess converter;
        converter.start(GpsBabelConverter::defaultProgram(),
                        u"-r -i gpx -f %1 -o ozi -F -"_s.arg(sample).split(' '));
        QVERIFY(converter.waitForFinished());
        QList<QByteArray> lines = converter.readAllStandardOutput().split('\n');
        for (int i = 0; i < iconOf.size(); ++i) {
            QList<QByteArray> fields = lines[5 + i].split(',');
            fields[4] = i == 0 ? "START" : i == 8 ? "FINISH" : "TURN0" + QByteArray::number(i);
            fields[8] = QByteArray::number(iconOf.at(i));
            lines[5 + i] = fields.join(',');
        }
        QCOMPARE(fixtures::readFile(m_dir->filePath(u"LAKE.RTE"_s)), lines.join('\n'));
    }
};

int main(int argc, char** argv) {
    ErrorReportingApplication app(argc, argv);
    TestWindow test;
    // The converter's folders go to a folder of their own, where one left behind shows.
    const QTemporaryDir converterFolders;
    qputenv("TMPDIR", QFile::encodeName(converterFolders.path()));
    return QTest::qExec(&test, argc, argv);
}

#include "tst_window.moc"
