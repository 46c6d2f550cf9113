// SPDX-License-Identifier: GPL-3.0-or-later
// rv58route-load-probe: one load of a GPX file as rv58route-cli does it, measured from
// inside, in a process of its own so that its peak memory is the load's alone.
//
//   rv58route-load-probe FILE [--fit]
//
// Lists the file's routes and, with --fit, takes route 1, reduced to the device's points.
// Prints one line:
//
//   wall_ms=... self_cpu_ms=... peak_rss_kb=... converter_peak_rss_kb=... routes=... waypoints=...
//
// self_cpu_ms is this process's own processor time, the converter's excluded. peak_rss_kb
// is this process's high-water mark of resident memory (VmHWM; getrusage would count the
// memory of the process it was forked from), converter_peak_rss_kb the largest of the
// converter runs it waited for (getrusage of its children). Exits 1 when the load fails.
#include "files/RouteImport.h"
#include "route/RouteState.h"
#include "route/RouteTable.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>

#include <sys/resource.h>

namespace {

double CpuMs(const rusage& usage) {
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// VmHWM from /proc/self/status in kB, or -1 where there is none.
long PeakResidentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

int Fail(const RouteLoader& loader) {
    const Refusal& refusal = loader.outcome().refusal;
    std::fprintf(stderr, "rv58route-load-probe: %s %s\n", qPrintable(refusal.headline),
                 qPrintable(refusal.reason));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: rv58route-load-probe FILE [--fit]\n");
        return 2;
    }
    QElapsedTimer wall;
    wall.start();
    RouteLoader loader;
    loader.open(args.at(1));
    loader.waitForStep();
    if (loader.stage() != RouteLoader::Stage::Listed)
        return Fail(loader);
    int waypoints = 0;
    if (args.contains(QStringLiteral("--fit"))) {
        loader.choose(1, true);
        loader.waitForStep();
        if (loader.stage() != RouteLoader::Stage::Ready)
            return Fail(loader);
        RouteTable table;
        QString routeName;
        RouteState state;
        loader.takeOver(table, routeName, state);
        waypoints = state.waypointCount();
    }
    const double elapsed = double(wall.nsecsElapsed()) / 1e6;
    rusage self{}, children{};
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &children);
    std::printf("wall_ms=%.2f self_cpu_ms=%.2f peak_rss_kb=%ld converter_peak_rss_kb=%ld "
                "routes=%lld waypoints=%d\n",
                elapsed, CpuMs(self), PeakResidentKb(), children.ru_maxrss,
                static_cast<long long>(loader.routes().size()), waypoints);
    return 0;
}
