// SPDX-License-Identifier: GPL-3.0-or-later
// rv58route-startup-probe: how long the window takes to come up and how much memory it
// holds with a full route. Start-up happens once per process, so the benchmark program
// runs this probe afresh for every sample.
//
//   rv58route-startup-probe [ROUTE] [--launched-at-ns NS]
//
// Shows the window offscreen and waits for its first paint, then loads ROUTE (a .gpx or
// .rte file; without it, a route file of 124 waypoints made up on the spot) the way Load
// Route does and waits until the overview is painted. Prints one line:
//
//   first_paint_ms=... route_shown_ms=... peak_rss_kb=... waypoints=...
//
// Times count from NS, a steady-clock (CLOCK_MONOTONIC) reading the caller took just
// before starting this process, so loading the program and its libraries is included;
// without it they count from the start of main(). The peak is the kernel's high-water mark
// of resident memory (VmHWM) once the route is on show. Exits 1 when anything fails.
#include "BenchRoutes.h"

#include "app/TForm1.h"
#include "route/RouteTable.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// VmHWM from /proc/self/status in kB, or -1 where there is none.
long PeakResidentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

int Fail(const QString& why) {
    std::fprintf(stderr, "rv58route-startup-probe: %s\n", qPrintable(why));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    Clock::time_point start = Clock::now();
    std::string routeArgument;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--launched-at-ns" && i + 1 < argc)
            start = Clock::time_point(Clock::duration(std::strtoll(argv[++i], nullptr, 10)));
        else
            routeArgument = arg;
    }

    // Measured offscreen: the same work as on a desktop, without a display server's share.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    RecordingDialogs dialogs;
    TForm1 form;
    form.setDialogs(&dialogs);
    form.show();
    if (!WaitForPaint(&form, 10000))
        return Fail(QStringLiteral("the window was never painted"));
    const double firstPaintMs = MillisecondsSince(start);

    QTemporaryDir work;
    QString route = QString::fromLocal8Bit(routeArgument.c_str());
    if (route.isEmpty()) {
        route = work.filePath(QStringLiteral("BENCH124.rte"));
        if (!work.isValid() || !WriteBytes(route, MakeRteRoute(124)))
            return Fail(QStringLiteral("cannot write %1").arg(route));
    }
    form.control<QLineEdit>(QStringLiteral("Edit_Filename"))->setText(route);
    // The load runs in the background; the route is on show when it has finished.
    QEventLoop loop;
    QObject::connect(&form, &TForm1::loadFinished, &loop, &QEventLoop::quit);
    form.Button_GPX2RTEClick();
    if (form.isLoading())
        loop.exec();
    if (!dialogs.messages.isEmpty())
        return Fail(dialogs.messages.join(QLatin1Char('\n')));
    if (!WaitForPaint(form.control<QWidget>(QStringLiteral("ImageRoute")), 10000))
        return Fail(QStringLiteral("the route overview was never painted"));
    const double routeShownMs = MillisecondsSince(start);

    std::printf("first_paint_ms=%.2f route_shown_ms=%.2f peak_rss_kb=%ld waypoints=%d\n",
                firstPaintMs, routeShownMs, PeakResidentKb(), form.routeState().waypointCount());
    return 0;
}
