// SPDX-License-Identifier: GPL-3.0-or-later
// rv58route-bench: what a user waits for, measured. The GPX import end to end against the
// converter alone, recorded tracks of up to a million points listed and fitted against the
// GPSBabel commands that do the same, RefreshRoute with a full route, start-up to the first
// painted window with its peak memory, and how reading and measuring grow with the route's
// length.
// Google Benchmark prints its table; a summary at the end puts each figure beside its
// target, every ratio taken from this one run.
#include "BenchRoutes.h"

#include "app/TForm1.h"
#include "editing/IconSheet.h"
#include "files/ConverterOutput.h"
#include "files/GpsBabelConverter.h"
#include "files/RouteFileReader.h"
#include "files/RouteImport.h"
#include "geometry/RouteMeasurement.h"
#include "geometry/RouteOverview.h"
#include "route/DeviceRules.h"
#include "route/RouteState.h"
#include "route/RouteTable.h"

#include <QApplication>
#include <QEventLoop>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

#ifndef RV58_STARTUP_PROBE
#define RV58_STARTUP_PROBE "rv58route-startup-probe"
#endif
#ifndef RV58_LOAD_PROBE
#define RV58_LOAD_PROBE "rv58route-load-probe"
#endif

namespace {

// The route lengths of the growth benchmarks: doublings up to the longest route a file may
// hold, 124 waypoints.
const std::vector<int64_t> GrowthLengths = {1, 2, 4, 8, 16, 31, 62, 124};
// The recorded tracks listed and fitted, in points.
const std::vector<int64_t> TrackLengths = {10000, 100000, 1000000};
// Repetitions of every benchmark; the summary takes their median.
constexpr int Repetitions = 5;
// What the import is compared with: a design that waits a fixed time for the converter.
constexpr double FixedWaitSeconds = 2.0;

QString Text(const char* latin1) {
    return QString::fromLatin1(latin1);
}

// The route files of the run, made once in a folder of their own.
class BenchFiles {
public:
    bool make() {
        if (!m_dir.isValid())
            return false;
        for (int points : {10, 124}) {
            if (!WriteBytes(gpx(points), MakeGpxRoute(points)) ||
                !WriteBytes(rte(points), MakeRteRoute(points)))
                return false;
        }
        for (int64_t points : TrackLengths)
            if (!WriteGpxTrack(track(int(points)), int(points)))
                return false;
        return true;
    }
    QString track(int points) const {
        return m_dir.filePath(QStringLiteral("track%1.gpx").arg(points));
    }
    QString gpx(int points) const {
        return m_dir.filePath(QStringLiteral("route%1.gpx").arg(points));
    }
    QString rte(int points) const {
        return m_dir.filePath(QStringLiteral("ROUTE%1.rte").arg(points));
    }
    QString scratch(const char* name) const { return m_dir.filePath(Text(name)); }

private:
    QTemporaryDir m_dir;
};

// The window as the program shows it, offscreen, with a dialog layer that only records.
struct Window {
    RecordingDialogs dialogs;
    TForm1 form;

    Window() {
        form.setDialogs(&dialogs);
        form.show();
        WaitForPaint(&form, 10000);
    }
    // Load Route with `path` in the file name field; false when a message came up.
    bool load(const QString& path) {
        dialogs.messages.clear();
        form.control<QLineEdit>(QStringLiteral("Edit_Filename"))->setText(path);
        // The load runs in the background; the route is on show when it has finished.
        QEventLoop loop;
        QObject::connect(&form, &TForm1::loadFinished, &loop, &QEventLoop::quit);
        form.Button_GPX2RTEClick();
        if (form.isLoading())
            loop.exec();
        return dialogs.messages.isEmpty();
    }
    QWidget* overview() const { return form.control<QWidget>(QStringLiteral("ImageRoute")); }
};

void SkipWithProblem(benchmark::State& state, const QString& problem) {
    state.SkipWithError(problem.toLocal8Bit().constData());
}

// One process run to its end: its wall-clock time in seconds, or a negative number when it
// failed, with its standard output.
double TimeProcess(const QString& program, const QStringList& args, QString& problem,
                   QByteArray* output = nullptr) {
    const auto start = std::chrono::steady_clock::now();
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, args);
    if (!process.waitForFinished(10 * GpsBabelConverter::DefaultTimeoutMs) ||
        process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        problem = program + QStringLiteral(" failed: ") +
                  QString::fromLocal8Bit(process.readAllStandardError());
        return -1;
    }
    if (output)
        *output = process.readAllStandardOutput();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The converter on its own, converting the routes of `gpx` as the import once did it in a
// run of its own: the bare route run.
double TimeConverterAlone(const QString& gpx, const QString& output, QString& problem) {
    return TimeProcess(GpsBabelConverter::defaultProgram(),
                       {QStringLiteral("-r"), QStringLiteral("-i"), QStringLiteral("gpx"),
                        QStringLiteral("-f"), gpx, QStringLiteral("-o"), QStringLiteral("ozi"),
                        QStringLiteral("-F"), output},
                       problem);
}

// The GPSBabel command that does the work of listing (`fit` false) or of listing and fitting
// a file of one track of `points` points: its track as a route file, thinned to about
// 10,000 points and simplified to the device's when fitted.
QStringList ConverterCommand(const QString& gpx, const QString& output, int points, bool fit) {
    QStringList args{QStringLiteral("-i"), QStringLiteral("gpx"), QStringLiteral("-f"), gpx};
    const int decimate = (points + MaxFitInputPoints - 1) / MaxFitInputPoints;
    if (fit && decimate > 1)
        args << QStringLiteral("-x") << QStringLiteral("resample,decimate=%1").arg(decimate);
    if (fit)
        args << QStringLiteral("-x") << QStringLiteral("simplify,count=%1").arg(MaxRouteWaypoints);
    return args << QStringLiteral("-x") << QStringLiteral("transform,rte=trk,del")
                << QStringLiteral("-o") << QStringLiteral("ozi") << QStringLiteral("-F") << output;
}

// This process's own processor time so far, in seconds: its threads, not its children.
double OwnCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// One load as the programs do it, with their loader: the file's routes listed and, when
// `fit`, route 1 taken, reduced to the device's points. False with the reason when it fails.
bool LoadTrack(const QString& gpx, bool fit, QString& problem) {
    RouteLoader loader;
    loader.open(gpx);
    loader.waitForStep();
    if (loader.stage() == RouteLoader::Stage::Listed && fit) {
        loader.choose(1, true);
        loader.waitForStep();
    }
    const RouteLoader::Stage wanted = fit ? RouteLoader::Stage::Ready : RouteLoader::Stage::Listed;
    if (loader.stage() != wanted || loader.routes().size() != 1) {
        problem =
            loader.outcome().refusal.headline + QLatin1Char(' ') + loader.outcome().refusal.reason;
        return false;
    }
    if (fit) {
        RouteTable table;
        QString routeName;
        RouteState state;
        loader.takeOver(table, routeName, state);
        if (state.waypointCount() != MaxRouteWaypoints) {
            problem = QStringLiteral("the fitted track has %1 points").arg(state.waypointCount());
            return false;
        }
    }
    return true;
}

// A recorded track listed (and fitted) as the programs do it, each iteration paired with
// the GPSBabel command that does the same, the two in turns. The iteration time is the
// load's in this process, as the window runs it; rv58route-cli adds its own start to it.
// The peaks of memory come from one more load by the load probe, in a process of its own.
void TrackLoad(benchmark::State& state, const BenchFiles& files, bool fit) {
    const int points = int(state.range(0));
    const QString gpx = files.track(points);
    double converterSeconds = 0, ownCpuSeconds = 0;
    bool converterFirst = true;
    for (auto _ : state) {
        QString problem;
        auto converter = [&] {
            const double seconds = TimeProcess(
                GpsBabelConverter::defaultProgram(),
                ConverterCommand(gpx, files.scratch("track_alone.rte"), points, fit), problem);
            converterSeconds += seconds;
            return seconds >= 0;
        };
        if (converterFirst && !converter()) {
            SkipWithProblem(state, problem);
            break;
        }
        const double cpu = OwnCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        const bool loaded = LoadTrack(gpx, fit, problem);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ownCpuSeconds += OwnCpuSeconds() - cpu;
        if (!loaded || (!converterFirst && !converter())) {
            SkipWithProblem(state, problem);
            break;
        }
        state.SetIterationTime(seconds);
        converterFirst = !converterFirst;
    }
    using benchmark::Counter;
    state.counters["converter_ms"] = Counter(converterSeconds * 1e3, Counter::kAvgIterations);
    state.counters["own_cpu_ms"] = Counter(ownCpuSeconds * 1e3, Counter::kAvgIterations);
    // wall_ms=... self_cpu_ms=... peak_rss_kb=... converter_peak_rss_kb=... routes=...
    QString problem;
    QByteArray report;
    const QStringList args = fit ? QStringList{gpx, QStringLiteral("--fit")} : QStringList{gpx};
    if (TimeProcess(Text(RV58_LOAD_PROBE), args, problem, &report) < 0) {
        SkipWithProblem(state, problem);
        return;
    }
    std::map<QByteArray, double> values;
    for (const QByteArray& pair : report.trimmed().split(' ')) {
        const int eq = pair.indexOf('=');
        if (eq > 0)
            values[pair.left(eq)] = pair.mid(eq + 1).toDouble();
    }
    state.counters["process_ms"] = values["wall_ms"];
    state.counters["peak_MiB"] = values["peak_rss_kb"] / 1024.0;
    state.counters["converter_peak_MiB"] = values["converter_peak_rss_kb"] / 1024.0;
}

// Load Route with a GPX file, as the window does it (converter, reader, measurement,
// overview drawing, editor), until the window has painted the new route; the iteration
// time. Each iteration also runs the converter alone on the same file, the two in turns,
// so both sides of the ratio see the same load on the machine.
void GpxImport(benchmark::State& state, Window& window, const BenchFiles& files) {
    const int points = int(state.range(0));
    const QString gpx = files.gpx(points);
    const QString aloneOutput = files.scratch("converter_alone.rte");
    double importSeconds = 0;
    double aloneSeconds = 0;
    bool aloneFirst = true;
    for (auto _ : state) {
        QString problem;
        double alone = 0;
        if (aloneFirst)
            alone = TimeConverterAlone(gpx, aloneOutput, problem);
        const auto start = std::chrono::steady_clock::now();
        if (!window.load(gpx))
            problem = window.dialogs.messages.join(QLatin1Char('\n'));
        else if (!WaitForPaint(window.overview(), 10000))
            problem = QStringLiteral("the overview was not painted");
        const double import =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!aloneFirst && problem.isEmpty())
            alone = TimeConverterAlone(gpx, aloneOutput, problem);
        if (!problem.isEmpty() || alone < 0) {
            SkipWithProblem(state, problem);
            break;
        }
        state.SetIterationTime(import);
        importSeconds += import;
        aloneSeconds += alone;
        aloneFirst = !aloneFirst;
    }
    if (window.form.routeState().waypointCount() != points)
        SkipWithProblem(state, QStringLiteral("the route did not load whole"));
    if (aloneSeconds > 0) {
        state.counters["converter_alone_ms"] =
            benchmark::Counter(aloneSeconds * 1e3, benchmark::Counter::kAvgIterations);
        state.counters["import_per_converter"] = importSeconds / aloneSeconds;
    }
}

// The converter starting and ending with nothing to convert (it prints its version): the
// share of its time that no route file, and nothing on this side, can change.
void ConverterStartUp(benchmark::State& state) {
    for (auto _ : state) {
        QProcess process;
        process.setStandardInputFile(QProcess::nullDevice());
        process.start(GpsBabelConverter::defaultProgram(), {QStringLiteral("-V")});
        if (!process.waitForFinished(GpsBabelConverter::DefaultTimeoutMs) ||
            process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
            SkipWithProblem(state, QStringLiteral("the converter did not start"));
            break;
        }
    }
}

// RefreshRoute of the window with a 124-waypoint route loaded, the selected row walking
// down the table as it does when a user steps through the waypoints.
void RefreshRouteInWindow(benchmark::State& state, Window& window, const BenchFiles& files) {
    if (!window.load(files.rte(124)) || window.form.routeState().waypointCount() != 124) {
        SkipWithProblem(state, QStringLiteral("the 124-waypoint route did not load"));
        return;
    }
    int row = 1;
    for (auto _ : state) {
        window.form.RefreshRoute(row);
        row = row % 124 + 1;
    }
    // The repaints the refreshes asked for, outside the timing.
    QCoreApplication::processEvents();
}

// The same two steps from the library alone: measurement, then the overview drawn into a
// picture with the icon sheet's icons.
void RefreshRouteLibrary(benchmark::State& state, const BenchFiles& files) {
    RouteTable table;
    QString routeName;
    RouteState route;
    QByteArray bytes;
    ParsedRoute parsed;
    if (!ReadRouteBytes(files.rte(124), bytes) || !ParseRouteFile(bytes, parsed) ||
        parsed.rows.size() != 124) {
        SkipWithProblem(state, QStringLiteral("the 124-waypoint route did not load"));
        return;
    }
    TakeOverRoute(std::move(parsed), quint32(bytes.size()), table, routeName, route);
    const IconSheet sheet;
    const IconPainter drawIcon = [&sheet](QPainter& painter, int icon, const QRect& dest) {
        DrawSheetIcon(painter, sheet.image(), icon, dest);
    };
    RouteMeasurement measurement;
    RouteOverview overview;
    overview.InitViewport();
    QImage image(RouteOverview::PictureWidth, RouteOverview::PictureHeight, QImage::Format_RGB32);
    int row = 1;
    for (auto _ : state) {
        const Measurement measured = measurement.measure(table, 124, Unit::Km);
        overview.DrawRouteOverview(image, measured.points, 124, row, table, drawIcon);
        benchmark::DoNotOptimize(image.constBits());
        row = row % 124 + 1;
    }
}

// The reader taking apart a route file of n waypoints already in memory.
void ParseRoute(benchmark::State& state) {
    const int n = int(state.range(0));
    const QByteArray bytes = MakeRteRoute(n);
    for (auto _ : state) {
        ParsedRoute route;
        const bool ok = ParseRouteFile(bytes, route);
        benchmark::DoNotOptimize(route.rows.data());
        if (!ok || route.rows.size() != n) {
            SkipWithProblem(state, QStringLiteral("the reader refused the route"));
            break;
        }
    }
    state.SetComplexityN(n);
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes.size());
}

// The measurement of a loaded route of n waypoints: projection, legs, length and texts.
void MeasureRoute(benchmark::State& state) {
    const int n = int(state.range(0));
    const QByteArray bytes = MakeRteRoute(n);
    RouteTable table;
    QString routeName;
    RouteState route;
    ParsedRoute parsed;
    if (!ParseRouteFile(bytes, parsed)) {
        SkipWithProblem(state, QStringLiteral("the reader refused the route"));
        return;
    }
    TakeOverRoute(std::move(parsed), quint32(bytes.size()), table, routeName, route);
    RouteMeasurement measurement;
    for (auto _ : state) {
        Measurement measured = measurement.measure(table, n, Unit::Km);
        benchmark::DoNotOptimize(measured.points.data());
    }
    state.SetComplexityN(n);
}

// Start-up in a fresh process each time: from just before the process is started to its
// window's first paint (manual time), with the peak memory once a 124-point GPX route is
// loaded and on show.
void StartUp(benchmark::State& state, const BenchFiles& files) {
    double peakKb = 0;
    double routeShownMs = 0;
    for (auto _ : state) {
        QProcess probe;
        const auto launched = std::chrono::steady_clock::now();
        probe.start(Text(RV58_STARTUP_PROBE),
                    {files.gpx(124), QStringLiteral("--launched-at-ns"),
                     QString::number(qint64(launched.time_since_epoch().count()))});
        if (!probe.waitForFinished(60000) || probe.exitStatus() != QProcess::NormalExit ||
            probe.exitCode() != 0) {
            SkipWithProblem(state, QStringLiteral("the start-up probe failed: ") +
                                       QString::fromLocal8Bit(probe.readAllStandardError()));
            break;
        }
        // first_paint_ms=... route_shown_ms=... peak_rss_kb=... waypoints=...
        std::map<QByteArray, double> values;
        for (const QByteArray& pair : probe.readAllStandardOutput().trimmed().split(' ')) {
            const int eq = pair.indexOf('=');
            if (eq > 0)
                values[pair.left(eq)] = pair.mid(eq + 1).toDouble();
        }
        if (values["waypoints"] != 124 || values["first_paint_ms"] <= 0) {
            SkipWithProblem(state, QStringLiteral("the probe did not load the route"));
            break;
        }
        state.SetIterationTime(values["first_paint_ms"] / 1000.0);
        routeShownMs += values["route_shown_ms"];
        peakKb = std::max(peakKb, values["peak_rss_kb"]);
    }
    state.counters["route_shown_ms"] =
        benchmark::Counter(routeShownMs, benchmark::Counter::kAvgIterations);
    state.counters["peak_rss_MiB"] = peakKb / 1024.0;
}

// Passes everything to the console and keeps what the summary needs: per benchmark the
// median time of its repetitions (or its one time), its counters, and the growth fits.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    SummaryReporter() : ConsoleReporter(isatty(fileno(stdout)) ? OO_ColorTabular : OO_Tabular) {}

    bool ReportContext(const Context& context) override {
        m_cpus = context.cpu_info.num_cpus;
        m_load = context.cpu_info.load_avg.empty() ? -1 : context.cpu_info.load_avg.front();
        return ConsoleReporter::ReportContext(context);
    }

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const std::string family = run.run_name.function_name;
            const std::string name =
                run.run_name.args.empty() ? family : family + "/" + run.run_name.args;
            if (run.error_occurred) {
                m_errors.push_back(name + ": " + run.error_message);
                continue;
            }
            if (run.report_big_o) {
                Fit& fit = m_fits[family];
                fit.real = run.GetAdjustedRealTime();
                fit.cpu = run.GetAdjustedCPUTime();
                fit.unit = benchmark::GetTimeUnitString(run.time_unit);
                fit.term = TermOf(run.complexity);
            } else if (run.report_rms) {
                // Stored scaled down by the time unit, which GetAdjusted*Time undoes.
                m_fits[family].realRms = run.GetAdjustedRealTime();
                m_fits[family].cpuRms = run.GetAdjustedCPUTime();
            } else if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name == "median") {
                    m_figures[name] = FigureOf(run);
                    if (!run.run_name.args.empty())
                        m_medians[family].push_back(
                            {std::stod(run.run_name.args), FigureOf(run).cpu});
                }
            } else if (run.repetitions <= 1) {
                m_figures[name] = FigureOf(run);
            }
        }
    }

    void printSummary() const {
        std::printf("\nSummary: %d cores, load average %.2f at the start; wall-clock times, "
                    "medians of %d repetitions\n",
                    m_cpus, m_load, Repetitions);
        for (int points : {10, 124}) {
            const Figure* f = figure("GpxImport/" + std::to_string(points));
            if (!f)
                continue;
            const double ratio = counter(*f, "import_per_converter");
            std::printf("  GPX import of %d points: %.2f ms; the converter alone, in turns with "
                        "it: %.2f ms\n",
                        points, f->real * 1e3, counter(*f, "converter_alone_ms"));
            line("    import / converter alone", ratio, "< 1.3", ratio < 1.3);
            line("    2000 ms / import", FixedWaitSeconds / f->real, ">= 100",
                 FixedWaitSeconds / f->real >= 100);
        }
        printTracks();
        if (const Figure* f = figure("ConverterStartUp"))
            std::printf("  The converter starting with nothing to convert: %.2f ms\n",
                        f->real * 1e3);
        if (const Figure* f = figure("RefreshRouteInWindow/124")) {
            line("  RefreshRoute, 124 waypoints, us", f->real * 1e6, "< 200", f->real * 1e6 < 200);
            std::printf("    CPU time %.1f us", f->cpu * 1e6);
            if (const Figure* pieces = figure("RefreshRouteLibrary/124"))
                std::printf("; measurement + overview drawing alone: %.1f us (CPU %.1f us)",
                            pieces->real * 1e6, pieces->cpu * 1e6);
            std::printf("\n");
        }
        if (const Figure* f = figure("StartUp")) {
            std::printf("  Start-up to the first painted window (offscreen): %.1f ms; "
                        "124-point GPX route on show: %.1f ms\n",
                        f->real * 1e3, counter(*f, "route_shown_ms"));
            const double peak = counter(*f, "peak_rss_MiB");
            line("  Peak memory, 124-waypoint route on show, MiB", peak, "< 60", peak < 60);
        }
        for (const auto& [family, fit] : m_fits) {
            const auto medians = m_medians.find(family);
            if (medians != m_medians.end())
                printGrowth(family, fit, medians->second);
        }
        for (const std::string& error : m_errors)
            std::printf("  FAILED %s\n", error.c_str());
    }

    bool failed() const { return !m_errors.empty(); }

    // The recorded tracks: each side of a ratio from the same iterations, the load probe's
    // own processor time and peak memory beside the converter's, and how the probe's own
    // time grows with the points.
    void printTracks() const {
        std::vector<Point> own;
        for (int64_t points : TrackLengths) {
            const std::string n = std::to_string(points);
            const Figure* list = figure("TrackList/" + n);
            const Figure* fit = figure("TrackListFit/" + n);
            if (!list)
                continue;
            const double converter = counter(*list, "converter_ms");
            std::printf("  Track of %s points: listed in %.0f ms (%.0f ms in a process of its "
                        "own), GPSBabel's conversion %.0f ms; our own CPU %.0f ms\n",
                        n.c_str(), list->real * 1e3, counter(*list, "process_ms"), converter,
                        counter(*list, "own_cpu_ms"));
            line("    listing / GPSBabel's conversion", list->real * 1e3 / converter, "< 1.3",
                 list->real * 1e3 / converter < 1.3);
            own.push_back({double(points), counter(*list, "own_cpu_ms") / 1e3});
            if (fit) {
                const double ratio = fit->real * 1e3 / counter(*fit, "converter_ms");
                std::printf("    listed and fitted in %.0f ms, GPSBabel's decimate and simplify "
                            "%.0f ms\n",
                            fit->real * 1e3, counter(*fit, "converter_ms"));
                line("    list and fit / decimate and simplify", ratio,
                     points >= 1000000 ? "< 2" : "-", points < 1000000 || ratio < 2);
            }
            const Figure* peaks = fit ? fit : list;
            const double peak = counter(*peaks, "peak_MiB");
            const double converterPeak = counter(*peaks, "converter_peak_MiB");
            std::printf("    peak memory %.1f MiB, the converter's %.1f MiB\n", peak,
                        converterPeak);
            line("    peak / converter's peak", peak / converterPeak, "<= 2",
                 peak <= 2 * converterPeak);
        }
        if (own.size() < 3)
            return;
        const LineFit fit = FitLine(own);
        std::printf("  Our own CPU time over the track's points: a + b x N, a = %.1f ms, "
                    "b = %.3f us per point\n",
                    fit.intercept * 1e3, fit.slope * 1e6);
        line("    R^2 of that line", fit.r2, ">= 0.99", fit.r2 >= 0.99);
    }

private:
    struct Figure {
        double real = 0; // seconds
        double cpu = 0;  // seconds
        benchmark::UserCounters counters;
    };
    struct Fit {
        double real = 0, cpu = 0; // coefficients, in `unit` per unit of `term`
        std::string unit;
        std::string term;
        double realRms = 0, cpuRms = 0; // relative
    };
    struct Point {
        double n;
        double seconds;
    };

    static Figure FigureOf(const Run& run) {
        const double perSecond = benchmark::GetTimeUnitMultiplier(run.time_unit);
        return {run.GetAdjustedRealTime() / perSecond, run.GetAdjustedCPUTime() / perSecond,
                run.counters};
    }

    static std::string TermOf(benchmark::BigO complexity) {
        switch (complexity) {
        case benchmark::o1:
            return "(1)";
        case benchmark::oN:
            return "N";
        case benchmark::oNSquared:
            return "N^2";
        case benchmark::oNCubed:
            return "N^3";
        case benchmark::oLogN:
            return "lgN";
        case benchmark::oNLogN:
            return "NlgN";
        default:
            return "f(N)";
        }
    }

    static double counter(const Figure& figure, const char* name) {
        const auto found = figure.counters.find(name);
        return found == figure.counters.end() ? 0 : found->second.value;
    }

    static void line(const char* what, double value, const char* target, bool met) {
        std::printf("%-46s %10.2f  target %-7s %s\n", what, value, target, met ? "met" : "MISSED");
    }

    const Figure* figure(const std::string& name) const {
        const auto found = m_figures.find(name);
        return found == m_figures.end() ? nullptr : &found->second;
    }

    // Google Benchmark's fit is time = c * f(N) with no constant part, over every
    // repetition. A least-squares line time = a + b * N through the medians beside it shows
    // how much is a fixed cost per call and how closely the rest follows N. Both on CPU
    // time, which other processes' load disturbs least.
    void printGrowth(const std::string& family, const Fit& fit, std::vector<Point> points) const {
        if (points.size() < 3)
            return;
        std::sort(points.begin(), points.end(),
                  [](const Point& l, const Point& r) { return l.n < r.n; });
        std::printf("  %s, %g to %g waypoints (CPU time):\n", family.c_str(), points.front().n,
                    points.back().n);
        std::printf("    fitted %.1f %s x %s, RMS %.1f%% (wall-clock: %.1f %s x %s, RMS %.1f%%)\n",
                    fit.cpu, fit.unit.c_str(), fit.term.c_str(), fit.cpuRms * 100, fit.real,
                    fit.unit.c_str(), fit.term.c_str(), fit.realRms * 100);
        const LineFit line = FitLine(points);
        const Point& last = points.back();
        const Point& half = points[points.size() - 2];
        std::printf("    line a + b x N: a = %.2f us, b = %.0f ns per waypoint, R^2 = %.4f; "
                    "time(%g) / time(%g) = %.2f\n",
                    line.intercept * 1e6, line.slope * 1e9, line.r2, last.n, half.n,
                    last.seconds / half.seconds);
    }

    struct LineFit {
        double intercept = 0, slope = 0, r2 = 0;
    };

    // The least-squares line time = a + b * N through the points, and how much of the
    // times' spread it explains.
    static LineFit FitLine(const std::vector<Point>& points) {
        double sn = 0, st = 0, snn = 0, snt = 0;
        for (const Point& p : points) {
            sn += p.n;
            st += p.seconds;
            snn += p.n * p.n;
            snt += p.n * p.seconds;
        }
        const double count = double(points.size());
        LineFit fit;
        fit.slope = (count * snt - sn * st) / (count * snn - sn * sn);
        fit.intercept = (st - fit.slope * sn) / count;
        double residual = 0, total = 0;
        for (const Point& p : points) {
            residual += std::pow(p.seconds - (fit.intercept + fit.slope * p.n), 2);
            total += std::pow(p.seconds - st / count, 2);
        }
        fit.r2 = 1 - residual / total;
        return fit;
    }

    int m_cpus = 0;
    double m_load = -1;
    std::map<std::string, Figure> m_figures;
    std::map<std::string, Fit> m_fits;
    std::map<std::string, std::vector<Point>> m_medians; // by family: (N, CPU seconds)
    std::vector<std::string> m_errors;
};

} // namespace

int main(int argc, char** argv) {
    // The window is measured offscreen: the same widgets and painting, no display needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // Repetitions of different benchmarks are interleaved unless asked otherwise, so a
    // ratio's two sides see the same load on the machine.
    std::vector<char*> args(argv, argv + argc);
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    if (std::none_of(args.begin(), args.end(), [](const char* arg) {
            return std::string(arg).rfind("--benchmark_enable_random_interleaving", 0) == 0;
        }))
        args.push_back(interleave.data());
    int count = int(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 2;

    BenchFiles files;
    if (!files.make()) {
        std::fprintf(stderr, "rv58route-bench: cannot write the route files\n");
        return 1;
    }
    Window window;

    // Every benchmark is repeated and summed up by its median, so one disturbed repetition
    // on a shared machine does not make the figure.
    const auto repeated = [](benchmark::internal::Benchmark* b) {
        return b->Repetitions(Repetitions)->ReportAggregatesOnly(true);
    };
    for (int points : {10, 124}) {
        repeated(benchmark::RegisterBenchmark("GpxImport", GpxImport, std::ref(window),
                                              std::cref(files)))
            ->Arg(points)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
    for (bool fit : {false, true}) {
        auto* tracks = benchmark::RegisterBenchmark(fit ? "TrackListFit" : "TrackList", TrackLoad,
                                                    std::cref(files), fit);
        for (int64_t points : TrackLengths)
            tracks->Arg(points);
        repeated(tracks)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
    }
    repeated(benchmark::RegisterBenchmark("ConverterStartUp", ConverterStartUp))
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    repeated(benchmark::RegisterBenchmark("RefreshRouteInWindow", RefreshRouteInWindow,
                                          std::ref(window), std::cref(files)))
        ->Arg(124)
        ->UseRealTime()
        ->UseRealTime()
        ->Unit(benchmark::kMicrosecond);
    repeated(
        benchmark::RegisterBenchmark("RefreshRouteLibrary", RefreshRouteLibrary, std::cref(files)))
        ->Arg(124)
        ->UseRealTime()
        ->Unit(benchmark::kMicrosecond);
    repeated(benchmark::RegisterBenchmark("StartUp", StartUp, std::cref(files)))
        ->UseManualTime()
        ->Iterations(2)
        ->Unit(benchmark::kMillisecond);
    for (auto* growth : {benchmark::RegisterBenchmark("ParseRouteFile", ParseRoute),
                         benchmark::RegisterBenchmark("Measurement", MeasureRoute)}) {
        for (int64_t n : GrowthLengths)
            growth->Arg(n);
        repeated(growth)->MinTime(0.2)->Complexity(benchmark::oN)->Unit(benchmark::kMicrosecond);
    }

    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printSummary();
    benchmark::Shutdown();
    return reporter.failed() ? 1 : 0;
}
