// SPDX-License-Identifier: GPL-3.0-or-later
// rv58route-bench: what a user waits for, measured. The GPX import end to end against the
// converter alone, RefreshRoute with a full route, start-up to the first painted window
// with its peak memory, and how reading and measuring grow with the route's length.
// Google Benchmark prints its table; a summary at the end puts each figure beside its
// target, every ratio taken from this one run.
#include "BenchRoutes.h"

#include "app/TForm1.h"
#include "editing/IconSheet.h"
#include "files/GpsBabelConverter.h"
#include "files/RouteFileReader.h"
#include "geometry/RouteMeasurement.h"
#include "geometry/RouteOverview.h"
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

#include <unistd.h>

#ifndef RV58_STARTUP_PROBE
#define RV58_STARTUP_PROBE "rv58route-startup-probe"
#endif

namespace {

// The route lengths of the growth benchmarks: doublings up to the longest route a file may
// hold, 124 waypoints.
const std::vector<int64_t> GrowthLengths = {1, 2, 4, 8, 16, 31, 62, 124};
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
        return true;
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

// The converter on its own: one process with the arguments the import gives it. Returns
// its wall-clock time in seconds, or a negative number when it failed.
double TimeConverterAlone(const QString& gpx, const QString& output, QString& problem) {
    const auto start = std::chrono::steady_clock::now();
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(GpsBabelConverter::defaultProgram(),
                  {QStringLiteral("-r"), QStringLiteral("-i"), QStringLiteral("gpx"),
                   QStringLiteral("-f"), gpx, QStringLiteral("-o"), QStringLiteral("ozi"),
                   QStringLiteral("-F"), output});
    if (!process.waitForFinished(GpsBabelConverter::DefaultTimeoutMs) ||
        process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        problem = QStringLiteral("the converter failed: ") +
                  QString::fromLocal8Bit(process.readAllStandardError());
        return -1;
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
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
    if (!ReadRouteFile(files.rte(124), table, routeName, route) || route.waypointCount() != 124) {
        SkipWithProblem(state, QStringLiteral("the 124-waypoint route did not load"));
        return;
    }
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
            line("    import / converter alone", ratio, "< 1.5", ratio < 1.5);
            line("    2000 ms / import", FixedWaitSeconds / f->real, ">= 100",
                 FixedWaitSeconds / f->real >= 100);
        }
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
        double sn = 0, st = 0, snn = 0, snt = 0;
        for (const Point& p : points) {
            sn += p.n;
            st += p.seconds;
            snn += p.n * p.n;
            snt += p.n * p.seconds;
        }
        const double count = double(points.size());
        const double slope = (count * snt - sn * st) / (count * snn - sn * sn);
        const double intercept = (st - slope * sn) / count;
        double residual = 0, total = 0;
        for (const Point& p : points) {
            residual += std::pow(p.seconds - (intercept + slope * p.n), 2);
            total += std::pow(p.seconds - st / count, 2);
        }
        const Point& last = points.back();
        const Point& half = points[points.size() - 2];
        std::printf("    line a + b x N: a = %.2f us, b = %.0f ns per waypoint, R^2 = %.4f; "
                    "time(%g) / time(%g) = %.2f\n",
                    intercept * 1e6, slope * 1e9, 1 - residual / total, last.n, half.n,
                    last.seconds / half.seconds);
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
