// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliCommands.h"

#include "editing/WaypointEditor.h"
#include "editing/WaypointValidation.h"
#include "files/Platform.h"
#include "files/RouteFileReader.h"
#include "files/RouteFileWriter.h"
#include "files/RouteImport.h"
#include "geometry/RouteMeasurement.h"
#include "route/CellNumber.h"
#include "route/DeviceRules.h"
#include "route/DeviceText.h"
#include "route/Messages.h"
#include "route/RouteState.h"
#include "route/RouteTable.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <climits>
#include <functional>
#include <optional>

namespace {

const char* const Usage =
    "Usage: rv58route-cli show ROUTE.gpx|ROUTE.rte [--route N] [--fit] [--unit km|mile] [--json]\n"
    "  or:  rv58route-cli show ROUTE.gpx|ROUTE.rte --routes [--json]\n"
    "  or:  rv58route-cli convert IN.gpx|IN.rte -o OUT.rte|- [--route N] [--fit] [EDITS]\n"
    "  or:  rv58route-cli --help | --version\n";

// --help: the usage, then every option, with examples.
const char* const Help =
    "\n"
    "Prepare routes for the RV-58 handheld GPS logger: show a route, or save it as a route file\n"
    "for the device. A GPX file is converted with gpsbabel, which must be on the PATH; its routes\n"
    "come first, then its tracks, each offered as a route. EDITS are --route-name, and one\n"
    "Accept on a waypoint as the window does it: --row, --name, --icon and the two macros.\n"
    "\n"
    "Options:\n"
    "  --routes             list the file's routes (number, name, points, kind) and stop\n"
    "  --route N            the route to load, from 1 in the file's order (default 1)\n"
    "  --fit                reduce a route of more than 124 points to 124 along its shape\n"
    "  --unit km|mile       show: distances in km or miles (default mile)\n"
    "  --json               show: one JSON object instead of the table\n"
    "  -o, --output FILE    convert: the route file to write; - writes it to standard output\n"
    "  --route-name NAME    convert: the route name (1 to 12 of blank, 0-9, A-Z, a-z)\n"
    "  --row R              convert: the waypoint that --name and --icon change (default 1)\n"
    "  --name TEXT          convert: the waypoint's name (up to 6 of blank, 0-9, A-Z, a-z)\n"
    "  --name-macro         convert: rename every waypoint: START, TURN01 ... FINISH for an\n"
    "                       empty name, RIVE00, RIVE01 ... for RIVER1\n"
    "  --icon K             convert: the waypoint's icon, 0 to 44\n"
    "  --icon-macro         convert: give every waypoint the icon\n"
    "  --                   end of the options: what follows is the file name\n"
    "  -h, --help           print this help and stop\n"
    "  --version            print the version and stop\n"
    "\n"
    "Examples:\n"
    "  List the routes and tracks of a GPX file:\n"
    "      rv58route-cli show walk.gpx --routes\n"
    "  Show its second route in km, as JSON:\n"
    "      rv58route-cli show walk.gpx --route 2 --unit km --json\n"
    "  A recorded track, fitted to 124 points, as a device route named RIDE:\n"
    "      rv58route-cli convert ride.gpx --route 2 --fit -o RIDE.rte --route-name RIDE\n"
    "  Waypoints renamed START, TURN01 ... FINISH, all with icon 1:\n"
    "      rv58route-cli convert walk.rte -o WALK.rte --name '' --name-macro --icon 1 "
    "--icon-macro\n";

struct Options {
    QString command;
    QString input;
    QString output;         // "-" is standard output
    Unit unit = Unit::Mile; // as the window starts
    bool json = false;
    std::optional<QString> routeName;
    std::optional<int> row;
    std::optional<QString> name;
    std::optional<int> icon;
    bool nameMacro = false;
    bool iconMacro = false;
    bool listRoutes = false;
    int route = 1;
    bool fit = false;

    bool edits() const { return row || name || icon || nameMacro || iconMacro; }
};

struct UsageError {
    QString text;
};

QCommandLineOption valueOption(const QStringList& names, const char* valueName) {
    return QCommandLineOption(names, QString(), QString::fromLatin1(valueName));
}

QCommandLineOption flagOption(const char* name) {
    return QCommandLineOption(QString::fromLatin1(name));
}

// The command comes first; the options after it are that command's own. "--" ends the
// options, so a file whose name starts with a dash can be given.
Options parse(const QStringList& args) {
    Options o;
    if (args.isEmpty())
        throw UsageError{QStringLiteral("no command given")};
    o.command = args.first();
    if (o.command != QLatin1String("show") && o.command != QLatin1String("convert"))
        throw UsageError{QStringLiteral("unknown command '%1'").arg(o.command)};
    const bool show = o.command == QLatin1String("show");

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption unit = valueOption({QStringLiteral("unit")}, "km|mile");
    const QCommandLineOption json = flagOption("json");
    const QCommandLineOption output =
        valueOption({QStringLiteral("o"), QStringLiteral("output")}, "OUT.rte");
    const QCommandLineOption routeName = valueOption({QStringLiteral("route-name")}, "NAME");
    const QCommandLineOption row = valueOption({QStringLiteral("row")}, "R");
    const QCommandLineOption name = valueOption({QStringLiteral("name")}, "TEXT");
    const QCommandLineOption icon = valueOption({QStringLiteral("icon")}, "K");
    const QCommandLineOption nameMacro = flagOption("name-macro");
    const QCommandLineOption iconMacro = flagOption("icon-macro");
    const QCommandLineOption routes = flagOption("routes");
    const QCommandLineOption route = valueOption({QStringLiteral("route")}, "N");
    const QCommandLineOption fit = flagOption("fit");
    const QList<QCommandLineOption> own =
        show ? QList<QCommandLineOption>{unit, json, routes, route, fit}
             : QList<QCommandLineOption>{output,    routeName, row,   name, icon,
                                         nameMacro, iconMacro, route, fit};
    // Every option is known to the parser, so that it is never asked about one it was not
    // given; one that belongs to the other command is refused like an unknown one.
    parser.addOptions(
        {unit, json, output, routeName, row, name, icon, nameMacro, iconMacro, routes, route, fit});
    auto unknownOption = [](const QString& option) {
        return UsageError{
            QStringLiteral("unknown option '%1%2'")
                .arg(option.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), option)};
    };
    if (!parser.parse(QStringList{QStringLiteral("rv58route-cli")} + args.mid(1))) {
        const QStringList unknown = parser.unknownOptionNames();
        if (unknown.isEmpty())
            throw UsageError{parser.errorText()};
        throw unknownOption(unknown.first());
    }
    for (const QString& given : parser.optionNames()) {
        const bool known = std::any_of(own.begin(), own.end(), [&given](const auto& option) {
            return option.names().contains(given);
        });
        if (!known)
            throw unknownOption(given);
    }

    // An option's whole number within [low, high]; no upper bound is named for INT_MAX.
    auto integer = [&parser](const QCommandLineOption& option, int low, int high = INT_MAX) {
        bool ok = false;
        const int n = parser.value(option).toInt(&ok);
        if (!ok || n < low || n > high)
            throw UsageError{QStringLiteral("--%1 takes a whole number from %2")
                                 .arg(option.names().constLast())
                                 .arg(low) +
                             (high < INT_MAX ? QStringLiteral(" to %1").arg(high) : QString())};
        return n;
    };
    if (parser.isSet(unit)) {
        const QString value = parser.value(unit);
        if (value == QLatin1String("km"))
            o.unit = Unit::Km;
        else if (value == QLatin1String("mile"))
            o.unit = Unit::Mile;
        else
            throw UsageError{QStringLiteral("--unit takes km or mile")};
    }
    o.json = parser.isSet(json);
    if (parser.isSet(output))
        o.output = parser.value(output);
    if (parser.isSet(routeName))
        o.routeName = parser.value(routeName);
    if (parser.isSet(row))
        o.row = integer(row, 1, MaxRouteWaypoints);
    if (parser.isSet(name))
        o.name = parser.value(name);
    if (parser.isSet(icon))
        o.icon = integer(icon, 0, IconCount - 1);
    o.nameMacro = parser.isSet(nameMacro);
    o.iconMacro = parser.isSet(iconMacro);
    o.listRoutes = parser.isSet(routes);
    o.fit = parser.isSet(fit);
    if (parser.isSet(route))
        o.route = integer(route, 1);
    if (o.listRoutes && (parser.isSet(route) || o.fit || parser.isSet(unit)))
        throw UsageError{QStringLiteral("--routes lists the routes; it takes no --route, --fit "
                                        "or --unit")};

    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        throw UsageError{QStringLiteral("no input file given")};
    if (files.size() > 1)
        throw UsageError{QStringLiteral("more than one input file")};
    o.input = files.first();
    if (!show && o.output.isEmpty())
        throw UsageError{QStringLiteral("convert needs -o OUT.rte")};
    return o;
}

// A failure with one of the window's messages, its reason and details where there are any.
struct Failure {
    Refusal refusal;
};

struct LoadedRoute {
    RouteTable table;
    RouteState state;
    QString routeName;
    RouteMeasurement measurement;
    Measurement shown;
    QList<RouteListEntry> routes;
};

struct Interrupted {
    int status;
};

// A refusal as the command line shows it: the way forward is the one for its options.
Failure commandLineFailure(Refusal refusal) {
    if (refusal.remedy.isEmpty())
        refusal.remedy = WayForward(refusal.cause, Audience::CommandLine);
    return Failure{refusal};
}

// Ends the run when a stop was requested (Ctrl+C, SIGTERM, SIGHUP) by the time a stage ends.
void checkInterrupt(const InterruptWatcher& watcher) {
    QCoreApplication::processEvents();
    if (watcher.status() != 0)
        throw Interrupted{watcher.status()};
}

// Runs one step of the load to its end. A stop requested meanwhile ends the converter and
// the work on its output, and removes its folder, before the program stops.
void runStep(RouteLoader& loader, const InterruptWatcher& watcher,
             const std::function<void()>& step) {
    const QMetaObject::Connection cancel = QObject::connect(
        &watcher, &InterruptWatcher::interrupted, &loader, [&loader] { loader.cancel(); });
    step();
    loader.waitForStep();
    QObject::disconnect(cancel);
    checkInterrupt(watcher);
    if (loader.stage() == RouteLoader::Stage::Failed)
        throw commandLineFailure(loader.outcome().refusal);
}

// Load Route: the file's routes; with --routes the list is all, otherwise the chosen route
// is loaded and measured as the window shows it.
void load(const Options& o, LoadedRoute& route, const InterruptWatcher& watcher, QTextStream& err) {
    route.table.setRowCount(10);
    route.table.writeHeaderRow();
    RouteLoader loader;
    runStep(loader, watcher, [&] { loader.open(o.input); });
    route.routes = loader.routes();
    if (o.listRoutes)
        return;
    const int available = qMax(1, int(route.routes.size()));
    if (o.route > available)
        throw UsageError{QStringLiteral("--route %1: the file holds %2 route(s); "
                                        "--routes lists them")
                             .arg(o.route)
                             .arg(route.routes.size())};
    runStep(loader, watcher, [&] { loader.choose(o.route, o.fit); });
    if (!loader.fitReport().isEmpty())
        err << loader.fitReport() << Qt::endl;
    loader.takeOver(route.table, route.routeName, route.state);
    route.shown = route.measurement.measure(route.table, route.state.waypointCount(), o.unit);
}

// Rows of cells in columns as wide as their widest cell, two blanks apart.
void printColumns(const QVector<QStringList>& rows, QTextStream& out) {
    QVector<int> widths;
    for (const QStringList& row : rows)
        for (int c = 0; c < row.size(); ++c) {
            if (c >= widths.size())
                widths.append(0);
            widths[c] = qMax(widths[c], int(row.at(c).size()));
        }
    for (const QStringList& row : rows) {
        QString line;
        for (int c = 0; c < row.size(); ++c) {
            if (c > 0)
                line += QLatin1String("  ");
            line += row.at(c).leftJustified(widths[c]);
        }
        out << line.trimmed() << '\n';
    }
}

void printTable(const LoadedRoute& route, QTextStream& out) {
    out << "Route Name  " << EscapedText(route.routeName) << '\n';
    out << "Total Points " << route.shown.countText << '\n';
    out << "Total Dist. " << route.shown.routeLengthText << "\n\n";
    QVector<QStringList> rows;
    for (int r = 0; r <= route.state.waypointCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < RouteTable::HeaderColumns; ++c)
            cells.append(EscapedText(route.table.cell(c, r)));
        rows.append(cells);
    }
    printColumns(rows, out);
}

void printRoutes(const Options& o, const LoadedRoute& route, QTextStream& out) {
    if (o.json) {
        QJsonArray routes;
        for (const RouteListEntry& entry : route.routes)
            routes.append(QJsonObject{{QLatin1String("number"), entry.number},
                                      {QLatin1String("name"), DisplayText(entry.name)},
                                      {QLatin1String("points"), entry.points},
                                      {QLatin1String("kind"), entry.kind}});
        const QJsonObject root{{QLatin1String("routes"), routes}};
        out << QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Compact)) << '\n';
        return;
    }
    QVector<QStringList> rows{{QStringLiteral("NO"), QStringLiteral("Name"),
                               QStringLiteral("Points"), QStringLiteral("Kind")}};
    for (const RouteListEntry& entry : route.routes)
        rows.append({QString::number(entry.number), EscapedText(entry.name),
                     QString::number(entry.points), entry.kind});
    printColumns(rows, out);
}

void printJson(const Options& o, const LoadedRoute& route, QTextStream& out) {
    static const char* const keys[RouteTable::HeaderColumns] = {"no",   "name", "lat", "lon",
                                                                "date", "icon", "leg", "total"};
    QJsonArray waypoints;
    for (int r = 1; r <= route.state.waypointCount(); ++r) {
        QJsonObject waypoint;
        for (int c = 0; c < RouteTable::HeaderColumns; ++c)
            waypoint.insert(QLatin1String(keys[c]), DisplayText(route.table.cell(c, r)));
        waypoints.append(waypoint);
    }
    QJsonObject root;
    root.insert(QLatin1String("route_name"), DisplayText(route.routeName));
    root.insert(QLatin1String("waypoint_count"), route.state.waypointCount());
    root.insert(QLatin1String("unit"),
                o.unit == Unit::Km ? QLatin1String("km") : QLatin1String("mile"));
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
        throw Failure{{problem}};
    AcceptWaypoint(route.table, row, TrimControl(name), icon,
                   WaypointCountFromText(route.shown.countText), o.iconMacro, o.nameMacro);
}

// Save Route: the route name check, the stored lines rebuilt, the file written whole.
void save(const Options& o, LoadedRoute& route, QTextStream& out, QTextStream& err) {
    QString name;
    const QString problem = CheckRouteName(o.routeName.value_or(route.routeName), &name);
    if (!problem.isEmpty())
        throw Failure{{problem}};
    // Names the device would not take are saved as they are, with the window's warning.
    const QString warning = DeviceNameWarning(route.table, route.state.waypointCount());
    if (!warning.isEmpty())
        err << warning << Qt::endl;
    const QByteArray bytes = RebuildRouteLines(route.state, route.table, name);
    if (o.output == QLatin1String("-")) {
        out.flush();
        QIODevice* device = out.device();
        if (!device || device->write(bytes) != bytes.size())
            throw Failure{{Message::text(Message::WriteError),
                           QStringLiteral("The standard output cannot be written.")}};
        return;
    }
    QString error;
    if (!WriteRouteFile(o.output, bytes, &error))
        throw Failure{{Message::text(Message::WriteError), error}};
}

} // namespace

int RunCli(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    // --help and --version count anywhere among the options, not behind "--".
    const QStringList options = arguments.mid(0, arguments.indexOf(QLatin1String("--")));
    if (options.contains(QLatin1String("--help")) || options.contains(QLatin1String("-h"))) {
        out << Usage << Help;
        return 0;
    }
    if (options.contains(QLatin1String("--version"))) {
        out << "rv58route-cli 0.5\n";
        return 0;
    }
    try {
        const Options o = parse(arguments);
        // One watcher for the whole run: a stop request ends it at whichever stage it comes.
        const InterruptWatcher watcher;
        LoadedRoute route;
        load(o, route, watcher, err);
        if (o.listRoutes) {
            printRoutes(o, route, out);
            checkInterrupt(watcher);
            return 0;
        }
        if (o.command == QLatin1String("show")) {
            if (o.json)
                printJson(o, route, out);
            else
                printTable(route, out);
            checkInterrupt(watcher);
            return 0;
        }
        if (o.edits())
            accept(o, route);
        save(o, route, out, err);
        checkInterrupt(watcher);
        return 0;
    } catch (const UsageError& e) {
        err << "rv58route-cli: " << e.text << '\n' << Usage;
        return 2;
    } catch (const Failure& f) {
        err << f.refusal.headline << '\n';
        for (const QString& text : {f.refusal.explanation(), f.refusal.details})
            if (!text.isEmpty())
                err << text << '\n';
        return 1;
    } catch (const RouteError& e) {
        err << e.text() << '\n';
        return 1;
    } catch (const Interrupted& i) {
        err << "rv58route-cli: interrupted\n";
        return i.status;
    }
}
