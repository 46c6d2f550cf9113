#include "cli/CliCommands.h"

#include "editing/WaypointEditor.h"
#include "editing/WaypointValidation.h"
#include "files/RouteFileReader.h"
#include "files/RouteFileWriter.h"
#include "files/RouteImport.h"
#include "geometry/RouteMeasurement.h"
#include "route/CellNumber.h"
#include "route/RouteState.h"
#include "route/RouteTable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <optional>

namespace {

const char* const Usage =
    "usage: rv58route-cli show ROUTE.gpx|ROUTE.rte [--unit km|mile] [--json]\n"
    "       rv58route-cli convert IN.gpx|IN.rte -o OUT.rte [--route-name NAME]\n"
    "                     [--row R] [--name TEXT] [--name-macro] [--icon K] [--icon-macro]\n"
    "       rv58route-cli --help | --version\n";

const int KmIndex = 0;
const int MileIndex = 1;

struct Options {
    QString command;
    QString input;
    QString output;
    int unitIndex = MileIndex; // the window starts in miles
    bool json = false;
    std::optional<QString> routeName;
    std::optional<int> row;
    std::optional<QString> name;
    std::optional<int> icon;
    bool nameMacro = false;
    bool iconMacro = false;

    bool edits() const { return row || name || icon || nameMacro || iconMacro; }
};

struct UsageError {
    QString text;
};

// Takes the arguments apart; throws UsageError for anything it cannot take.
Options parse(const QStringList& args) {
    Options o;
    if (args.isEmpty())
        throw UsageError{QStringLiteral("no command given")};
    o.command = args.first();
    if (o.command != QLatin1String("show") && o.command != QLatin1String("convert"))
        throw UsageError{QStringLiteral("unknown command '%1'").arg(o.command)};
    const bool show = o.command == QLatin1String("show");
    auto value = [&](int& i) {
        if (i + 1 >= args.size())
            throw UsageError{QStringLiteral("%1 needs a value").arg(args.at(i))};
        return args.at(++i);
    };
    auto integer = [&](int& i, int low, int high) {
        const QString option = args.at(i);
        const QString text = value(i);
        bool ok = false;
        const int n = text.toInt(&ok);
        if (!ok || n < low || n > high)
            throw UsageError{QStringLiteral("%1 takes a whole number from %2 to %3")
                                 .arg(option)
                                 .arg(low)
                                 .arg(high)};
        return n;
    };
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (show && a == QLatin1String("--unit")) {
            const QString unit = value(i);
            if (unit == QLatin1String("km"))
                o.unitIndex = KmIndex;
            else if (unit == QLatin1String("mile"))
                o.unitIndex = MileIndex;
            else
                throw UsageError{QStringLiteral("--unit takes km or mile")};
        } else if (show && a == QLatin1String("--json")) {
            o.json = true;
        } else if (!show && (a == QLatin1String("-o") || a == QLatin1String("--output"))) {
            o.output = value(i);
        } else if (!show && a == QLatin1String("--route-name")) {
            o.routeName = value(i);
        } else if (!show && a == QLatin1String("--row")) {
            o.row = integer(i, 1, MaxRouteWaypoints);
        } else if (!show && a == QLatin1String("--name")) {
            o.name = value(i);
        } else if (!show && a == QLatin1String("--icon")) {
            o.icon = integer(i, 0, 44);
        } else if (!show && a == QLatin1String("--name-macro")) {
            o.nameMacro = true;
        } else if (!show && a == QLatin1String("--icon-macro")) {
            o.iconMacro = true;
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            throw UsageError{QStringLiteral("unknown option '%1'").arg(a)};
        } else if (o.input.isEmpty()) {
            o.input = a;
        } else {
            throw UsageError{QStringLiteral("more than one input file")};
        }
    }
    if (o.input.isEmpty())
        throw UsageError{QStringLiteral("no input file given")};
    if (!show && o.output.isEmpty())
        throw UsageError{QStringLiteral("convert needs -o OUT.rte")};
    return o;
}

// A failure with one of the window's messages, and details where there are any.
struct Failure {
    QString message;
    QString details;
};

struct LoadedRoute {
    RouteTable table;
    RouteState state;
    QString routeName;
    RouteMeasurement measurement;
    Measurement shown;
};

// Load Route: the import, then the measurement that the window shows after it.
void load(const Options& o, LoadedRoute& route) {
    route.table.setRowCount(10);
    route.table.writeHeaderRow();
    const ImportOutcome outcome = ImportRoute(o.input, route.table, route.routeName, route.state);
    if (!outcome.ok)
        throw Failure{outcome.message, outcome.details};
    route.shown = route.measurement.measure(route.table, route.state.waypointCount(), o.unitIndex);
}

QString visible(QString text) {
    text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    text.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    return text;
}

void printTable(const LoadedRoute& route, QTextStream& out) {
    const int rows = route.state.waypointCount() + 1;
    const int columns = RouteTable::HeaderColumns;
    QVector<int> widths(columns, 0);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            widths[c] = qMax(widths[c], int(visible(route.table.cell(c, r)).size()));
    out << "Route Name  " << visible(route.routeName) << '\n';
    out << "Total Points " << route.shown.countText << '\n';
    out << "Total Dist. " << route.shown.routeLengthText << "\n\n";
    for (int r = 0; r < rows; ++r) {
        QString line;
        for (int c = 0; c < columns; ++c) {
            if (c > 0)
                line += QLatin1String("  ");
            line += visible(route.table.cell(c, r)).leftJustified(widths[c]);
        }
        out << line.trimmed() << '\n';
    }
}

void printJson(const Options& o, const LoadedRoute& route, QTextStream& out) {
    static const char* const keys[RouteTable::HeaderColumns] = {"no",   "name", "lat", "lon",
                                                                "date", "icon", "leg", "total"};
    QJsonArray waypoints;
    for (int r = 1; r <= route.state.waypointCount(); ++r) {
        QJsonObject waypoint;
        for (int c = 0; c < RouteTable::HeaderColumns; ++c)
            waypoint.insert(QLatin1String(keys[c]), route.table.cell(c, r));
        waypoints.append(waypoint);
    }
    QJsonObject root;
    root.insert(QLatin1String("route_name"), route.routeName);
    root.insert(QLatin1String("waypoint_count"), route.state.waypointCount());
    root.insert(QLatin1String("unit"),
                o.unitIndex == KmIndex ? QLatin1String("km") : QLatin1String("mile"));
    root.insert(QLatin1String("route_length"), route.shown.routeLengthText);
    root.insert(QLatin1String("waypoints"), waypoints);
    out << QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Compact)) << '\n';
}

// One Accept on a row, as the window does it after that row was selected.
void accept(const Options& o, LoadedRoute& route) {
    const int row = o.row.value_or(1);
    const std::optional<EditorRow> shown = LoadWaypointRow(route.table, row);
    if (!shown)
        throw UsageError{QStringLiteral("row %1 holds no waypoint").arg(row)};
    const QString name = o.name.value_or(shown->name);
    const int icon = o.icon ? *o.icon : EditorIconIndex(shown->iconText);
    const QString problem = ValidateWaypointInput(name, shown->latitude, shown->longitude);
    if (!problem.isEmpty())
        throw Failure{problem, QString()};
    AcceptWaypoint(route.table, row, TrimControl(name), icon,
                   WaypointCountFromText(route.shown.countText), o.iconMacro, o.nameMacro);
}

// Save Route: the route name check, the stored lines rebuilt, the file written whole.
void save(const Options& o, LoadedRoute& route) {
    QString name;
    const QString problem = CheckRouteName(o.routeName.value_or(route.routeName), &name);
    if (!problem.isEmpty())
        throw Failure{problem, QString()};
    const QByteArray bytes = RebuildRouteLines(route.state, route.table, name);
    QString error;
    if (!WriteRouteFile(o.output, bytes, &error))
        throw Failure{QStringLiteral("RTE file write error."), error};
}

} // namespace

int RunCli(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    if (arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h"))) {
        out << Usage;
        return 0;
    }
    if (arguments.contains(QLatin1String("--version"))) {
        out << "rv58route-cli 0.5\n";
        return 0;
    }
    try {
        const Options o = parse(arguments);
        LoadedRoute route;
        load(o, route);
        if (o.command == QLatin1String("show")) {
            if (o.json)
                printJson(o, route, out);
            else
                printTable(route, out);
            return 0;
        }
        if (o.edits())
            accept(o, route);
        save(o, route);
        return 0;
    } catch (const UsageError& e) {
        err << "rv58route-cli: " << e.text << '\n' << Usage;
        return 2;
    } catch (const Failure& f) {
        err << f.message << '\n';
        if (!f.details.isEmpty())
            err << f.details << '\n';
        return 1;
    } catch (const RouteError& e) {
        err << e.text() << '\n';
        return 1;
    }
}
