// SPDX-License-Identifier: GPL-3.0-or-later
// The program put into faults around its files: the route file changed or deleted after it
// was chosen, a file beyond the read cap, the converter leaving side files, a full device.
// In each it goes on working and loses nothing that was loaded or saved before.
#include "RouteFileFixtures.h"

#include "app/Dialogs.h"
#include "app/ErrorReportingApplication.h"
#include "app/TForm1.h"
#include "files/RouteFileReader.h"
#include "files/RouteFileWriter.h"
#include "files/RouteImport.h"
#include "route/RouteState.h"
#include "route/RouteTable.h"

#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>
#include <unistd.h>

using namespace fixtures;

namespace {

// Answers the open dialog and then runs `afterChoosing`, as if another program touched the
// file between the user's choice and the read.
class FaultyDialogs : public Dialogs {
public:
    QString openAnswer, saveAnswer;
    std::function<void()> afterChoosing;
    QStringList messages;

    QString getOpenFileName(const QString&) override {
        if (afterChoosing)
            std::exchange(afterChoosing, nullptr)();
        return openAnswer;
    }
    QString getSaveFileName(const QString&, const QString&) override { return saveAnswer; }
    void message(const QString& text, const QString&) override { messages << text; }
    void errorReport(const QString& text) override { messages << text; }
    bool confirm(const QString& text, const QString&) override {
        messages << text;
        return true;
    }
    // A route grown too long is not fitted, so it is refused like the other faults.
    bool askYesNo(const QString&) override { return false; }
    int chooseRoute(const QList<RouteListEntry>&) override { return 1; }
};

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

    QString path(const char* name) const { return m_dir->filePath(QString::fromLatin1(name)); }

    std::unique_ptr<QTemporaryDir> m_dir;

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void routeFileChangedAfterChoosing_data() {
        QTest::addColumn<QByteArray>("replacement"); // null: the file is deleted
        QTest::addColumn<QString>("message");
        QTest::newRow("deleted") << QByteArray() << "RTE file error.";
        QTest::newRow("replaced by notes")
            << QByteArray("Just some notes\r\n") << "Route File Format Error!";
        QTest::newRow("emptied") << QByteArray("", 0) << "Route File Format Error!";
        QTest::newRow("grown too long") << routeFile(125) << "Route File Format Error!";
    }

    void routeFileChangedAfterChoosing() {
        QFETCH(QByteArray, replacement);
        QFETCH(QString, message);
        FaultyDialogs dialogs;
        static_cast<ErrorReportingApplication*>(qApp)->setDialogs(&dialogs);
        auto reset =
            qScopeGuard([] { static_cast<ErrorReportingApplication*>(qApp)->setDialogs(nullptr); });
        TForm1 form;
        form.setDialogs(&dialogs);
        auto click = [&form](const char* name) {
            QTest::mouseClick(form.control<QPushButton>(QString::fromLatin1(name)), Qt::LeftButton);
            QTRY_VERIFY(!form.isLoading());
        };
        const QString first = path("first.rte"), second = path("second.rte");
        QVERIFY(writeFile(first, routeFile(3)) && writeFile(second, routeFile(5)));
        dialogs.openAnswer = first;
        click("Button_Browse");

        dialogs.openAnswer = second;
        dialogs.afterChoosing = [&] {
            QVERIFY(replacement.isNull() ? QFile::remove(second) : writeFile(second, replacement));
        };
        click("Button_Browse");
        QCOMPARE(dialogs.messages, QStringList{message});
        QCOMPARE(form.control<QLabel>(QStringLiteral("Label_total_wpt"))->text(),
                 QStringLiteral("3"));

        // The route loaded before is saved whole, byte for byte.
        dialogs.saveAnswer = path("saved.rte");
        click("Button_save_rte");
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(readFile(dialogs.saveAnswer), routeFile(3));
    }

    void filesBeyondTheSizeLimit_data() {
        QTest::addColumn<QByteArray>("filler"); // repeated beyond the limit, then a waypoint
        QTest::newRow("bare lines") << QByteArray("\r\n");
        QTest::newRow("one endless line") << QByteArray("x");
    }

    // A file too large for a route file is refused quickly, with its size, and the route
    // loaded before stays.
    void filesBeyondTheSizeLimit() {
        QFETCH(QByteArray, filler);
        QByteArray bytes = routeFile(3);
        bytes += filler.repeated((MaxRouteFileBytes - bytes.size()) / filler.size() + 1);
        bytes += waypointLine(4, "BEYOND", "48.1", "11.1") + routeFile(2);
        QVERIFY(writeFile(path("huge.rte"), bytes) && writeFile(path("route.rte"), routeFile(3)));
        RouteTable table;
        QString routeName;
        RouteState state;
        QVERIFY(ImportRoute(path("route.rte"), table, routeName, state).ok);
        QElapsedTimer timer;
        timer.start();
        const ImportOutcome outcome = ImportRoute(path("huge.rte"), table, routeName, state);
        QVERIFY(!outcome.ok);
        QCOMPARE(outcome.message, QStringLiteral("Route File Format Error!"));
        QVERIFY2(outcome.details.contains(QLocale(QLocale::English).toString(bytes.size())),
                 qPrintable(outcome.details));
        QCOMPARE(state.waypointCount(), 3);
        QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed())));
    }

    void converterSideFilesAreRemoved() {
        QTemporaryDir working;
        const QString record = path("output-was");
        // A stand-in converter that writes the route file and two files beside it.
        const QString tool = path("chatty");
        QVERIFY(writeFile(tool, "#!/bin/sh\nwhile [ $# -gt 0 ]; do [ \"$1\" = -F ] && out=$2; "
                                "shift; done\nprintf '%s' \"$out\" > '" +
                                    record.toUtf8() + "'\ncat > \"$out\" <<'END'\n" + routeFile(2) +
                                    "END\necho x > \"$out.wpt\"\necho y > \"$(dirname "
                                    "\"$out\")/gpsbabel.log\"\n"));
        QVERIFY(
            QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        QVERIFY(writeFile(path("trip.gpx"), "<gpx/>\n"));

        const QString old = QDir::currentPath();
        QVERIFY(QDir::setCurrent(working.path()));
        RouteTable table;
        QString routeName;
        RouteState state;
        const ImportOutcome outcome =
            ImportRoute(path("trip.gpx"), table, routeName, state, GpsBabelConverter(tool, 10000));
        QDir::setCurrent(old);
        QVERIFY2(outcome.ok, qPrintable(outcome.details));
        QCOMPARE(state.waypointCount(), 2);
        const QString output = QString::fromUtf8(readFile(record));
        QVERIFY(!output.isEmpty());
        QVERIFY2(!QFileInfo::exists(QFileInfo(output).path()), qPrintable(output));
        QVERIFY(entries(working.path()).isEmpty());
    }

    void fullDeviceKeepsTheOldFile() {
        if (geteuid() != 0)
            QSKIP("mounting a small tmpfs needs root");
        QTemporaryDir mountPoint;
        const QString device = mountPoint.path();
        if (QProcess::execute(QStringLiteral("mount"),
                              QStringLiteral("-t tmpfs -o size=64k rv58full").split(' ')
                                  << device) != 0)
            QSKIP("a tmpfs cannot be mounted here");
        auto unmount = qScopeGuard([&] { QProcess::execute(QStringLiteral("umount"), {device}); });

        const QString route = device + QStringLiteral("/route.rte");
        QVERIFY(writeFile(route, routeFile(3)));
        QFile filler(device + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (filler.write(QByteArray(4096, 'f')) == 4096) {
        }
        filler.close();

        QString error;
        QVERIFY(!WriteRouteFile(route, routeFile(20), &error));
        QCOMPARE(error, QStringLiteral("No space left on the device."));
        QCOMPARE(readFile(route), routeFile(3));
        QCOMPARE(entries(device),
                 (QStringList{QStringLiteral("filler"), QStringLiteral("route.rte")}));

        // With room again the save replaces the old file whole.
        QVERIFY(filler.remove());
        QVERIFY2(WriteRouteFile(route, routeFile(20), &error), qPrintable(error));
        QCOMPARE(readFile(route), routeFile(20));
        QCOMPARE(entries(device), QStringList{QStringLiteral("route.rte")});
    }
};

int main(int argc, char** argv) {
    ErrorReportingApplication app(argc, argv);
    TestFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_faults.moc"
