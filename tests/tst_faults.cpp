// SPDX-License-Identifier: GPL-3.0-or-later
// The program put into faults around its files: a file beyond the read cap, the converter
// leaving side files, a full device. In each it goes on working and loses nothing that was
// loaded or saved before.
#include "RouteFileFixtures.h"

#include "files/RouteFileWriter.h"
#include "files/RouteImport.h"
#include "route/RouteState.h"
#include "route/RouteTable.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace fixtures;

class TestFaults : public QObject {
    Q_OBJECT

    static QStringList entries(const QString& folder) {
        return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir m_dir;
    RouteTable m_table; // each import below replaces what the one before loaded
    QString m_routeName;
    RouteState m_state;

private slots:
    // A file too large for a route file is refused quickly, with its size, and the route
    // loaded before stays; whether the size is in lines or in one endless line.
    void filesBeyondTheSizeLimit() {
        QVERIFY(writeFile(path("route.rte"), routeFile(3)));
        for (const QByteArray filler : {"\r\n", "x"}) {
            QByteArray bytes = routeFile(3);
            bytes += filler.repeated((MaxRouteFileBytes - bytes.size()) / filler.size() + 1);
            bytes += waypointLine(4, "BEYOND", "48.1", "11.1") + routeFile(2);
            QVERIFY(writeFile(path("huge.rte"), bytes));
            QVERIFY(ImportRoute(path("route.rte"), m_table, m_routeName, m_state).ok);
            const QDeadlineTimer quickly(5000);
            const ImportOutcome outcome =
                ImportRoute(path("huge.rte"), m_table, m_routeName, m_state);
            QCOMPARE(outcome.message, QStringLiteral("Route File Format Error!"));
            QVERIFY(outcome.details.contains(QLocale(QLocale::English).toString(bytes.size())));
            QVERIFY(!outcome.ok && m_state.waypointCount() == 3 && !quickly.hasExpired());
        }
    }

    // The converter's own folder goes, with every file the converter left beside its output.
    void converterSideFilesAreRemoved() {
        // A stand-in converter that writes the route file and two files beside it, and
        // records where it wrote.
        const QString tool = path("chatty"), record = path("output-was");
        QVERIFY(writeFile(tool, "#!/bin/sh\nwhile [ $# -gt 0 ]; do [ \"$1\" = -F ] && out=$2; "
                                "shift; done\nprintf '%s' \"$out\" > '" +
                                    record.toUtf8() + "'\ncat > \"$out\" <<'END'\n" + routeFile(2) +
                                    "END\necho x > \"$out.wpt\"\necho y > \"$(dirname "
                                    "\"$out\")/gpsbabel.log\"\n"));
        QVERIFY(QFile::setPermissions(tool, QFile::ReadOwner | QFile::ExeOwner) &&
                writeFile(path("trip.gpx"), "<gpx/>\n"));
        const ImportOutcome outcome =
            ImportRoute(path("trip.gpx"), m_table, m_routeName, m_state, GpsBabelConverter(tool));
        QVERIFY2(outcome.ok && m_state.waypointCount() == 2, qPrintable(outcome.details));
        const QString output = QString::fromUtf8(readFile(record));
        QVERIFY(!output.isEmpty() && !QFileInfo::exists(QFileInfo(output).path()));
    }

    // A save that does not fit leaves the old file as it was and no partial file beside it;
    // with room again the save replaces the old file whole.
    void fullDeviceKeepsTheOldFile() {
        if (geteuid() != 0)
            QSKIP("mounting a small tmpfs needs root");
        QTemporaryDir mountPoint;
        const QString device = mountPoint.path(), route = device + QStringLiteral("/route.rte");
        const QStringList mount = QStringLiteral("-t tmpfs -o size=64k rv58full").split(' ')
                                  << device;
        if (QProcess::execute(QStringLiteral("mount"), mount) != 0)
            QSKIP("a tmpfs cannot be mounted here");
        auto unmount = qScopeGuard([&] { QProcess::execute(QStringLiteral("umount"), {device}); });
        QFile filler(device + QStringLiteral("/filler"));
        QVERIFY(writeFile(route, routeFile(3)) &&
                filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (filler.write(QByteArray(4096, 'f')) == 4096)
            continue;
        QString error;
        QVERIFY(!WriteRouteFile(route, routeFile(20), &error));
        QCOMPARE(error, QStringLiteral("No space left on the device."));
        QCOMPARE(readFile(route), routeFile(3));
        QCOMPARE(entries(device),
                 (QStringList{QStringLiteral("filler"), QStringLiteral("route.rte")}));
        QVERIFY(filler.remove() && WriteRouteFile(route, routeFile(20), &error));
        QCOMPARE(readFile(route), routeFile(20));
        QCOMPARE(entries(device), QStringList{QStringLiteral("route.rte")});
    }
};

QTEST_GUILESS_MAIN(TestFaults)

#include "tst_faults.moc"
