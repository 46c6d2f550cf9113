// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliCommands.h"

#include "cli/RouteJson.h"
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
#include <QFileInfo>
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
    "The file written holds the chosen route alone. Messages go to standard error: the\n"
    "window's text, why, and what to do about it. Ctrl+C, SIGTERM and SIGHUP stop it at any\n"
    "stage (exit status 130, 143, 129), with the converter ended and its folder removed.\n"
    "\n"
    "Options:\n"
    "  --routes             list the file's routes (number, name, points, kind) and stop\n"
    "  --route N            the route to load, from 1 in the file's order (default 1)\n"
    "  --fit                reduce a route of more than 124 points to 124 along its shape\n"
    "  --unit km|mile       show: distances in km or miles (default mile)\n"
    "  --json               show: one JSON object instead of the table, values typed\n"
    "                       (\"format\": 1; numbers as numbers, the date as ISO 8601 UTC)\n"
    "  -o, --output FILE    convert: the route file to write; - writes it to standard output\n"
    "  --route-name NAME    convert: the route name (1 to 12 of blank, 0-9, A-Z, a-z)\n"
    "  --row R              convert: the waypoint that --name and --icon change (default 1)\n"
    "  --name TEXT          convert: the waypoint's name (up to 6 of blank, 0-9, A-Z, a-z)\n"
    "  --name-macro         convert: rename every waypoint: START, TURN01 ... FINISH for an\n"
    "                       empty name, RIVE00, RIVE01 ... for RIVER1\n"
    "  --icon K             convert: the waypoint's icon, 0 to 44\n"
    "  --icon-macro         convert: give every waypoint the icon\n"
    "  --replace-input      convert: let -o name the input file although the file written\n"
    "                       loses what it held besides the route (other routes, the GPX)\n"
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
    bool replaceInput = false;

    bool edits() const { return row || name || icon || nameMacro || iconMacro; }
};

struct UsageError {
    QString text;
};

QCommandLineOption valueOption(const QStringList& names, const char* valueName) {
    return QCommandLineOption(names, QString(), QString::fromLatin1(valueName));
}

QCommandLineOption valueOption(const char* name, const char* valueName) {
    return valueOption({QString::fromLatin1(name)}, valueName);
}

QCommandLineOption flagOption(const char* name) {
    return QCommandLineOption(QString::fromLatin1(name));
}

// Every option of both commands. All are known to the parser, so that it is never asked
// about one it was not given; one that belongs to the other command is refused like an
// unknown one.
struct OptionTable {
    QCommandLineOption unit = valueOption("unit", "km|mile");
    QCommandLineOption json = flagOption("json");
    QCommandLineOption routes = flagOption("routes");
    QCommandLineOption output =
        valueOption({QStringLiteral("o"), QStringLiteral("output")}, "OUT.rte");
    QCommandLineOption routeName = valueOption("route-name", "NAME");
    QCommandLineOption row = valueOption("row", "R");
    QCommandLineOption name = valueOption("name", "TEXT");
    QCommandLineOption icon = valueOption("icon", "K");
    QCommandLineOption nameMacro = flagOption("name-macro");
    QCommandLineOption iconMacro = flagOption("icon-macro");
    QCommandLineOption replaceInput = flagOption("replace-input");
    QCommandLineOption route = valueOption("route", "N");
    QCommandLineOption fit = flagOption("fit");

    QList<QCommandLineOption> all() const {
        return {unit, json,      routes,    output, routeName, row,         name,
                icon, nameMacro, iconMacro, route,  fit,       replaceInput};
    }
    QList<QCommandLineOption> of(bool show) const {
        if (show)
            return {unit, json, routes, route, fit};
        return {output, routeName, row, name, icon, nameMacro, iconMacro, replaceInput, route, fit};
    }
};

UsageError unknownOption(const QString& option) {
    return UsageError{
        QStringLiteral("unknown option '%1%2'")
            .arg(option.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), option)};
}

// Parses the options after the command; throws for one unknown or of the other command.
void parseOptions(QCommandLineParser& parser, const OptionTable& table, const QStringList& args,
                  bool show) {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(table.all());
    if (!parser.parse(QStringList{QStringLiteral("rv58route-cli")} + args)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (unknown.isEmpty())
            throw UsageError{parser.errorText()};
        throw unknownOption(unknown.first());
    }
    const QList<QCommandLineOption> own = table.of(show);
    for (const QString& given : parser.optionNames()) {
        const bool known = std::any_of(own.begin(), own.end(), [&given](const auto& option) {
            return option.names().contains(given);
        });
        if (!known)
            throw unknownOption(given);
    }
}

// An option's whole number within [low, high]; no upper bound is named for INT_MAX.
int integerValue(const QCommandLineParser& parser, const QCommandLineOption& option, int low,
                 int high = INT_MAX) {
    bool ok = false;
    const int n = parser.value(option).toInt(&ok);
    if (!ok || n < low || n > high)
        throw UsageError{QStringLiteral("--%1 takes a whole number from %2")
                             .arg(option.names().constLast())
                             .arg(low) +
                         (high < INT_MAX ? QStringLiteral(" to %1").arg(high) : QString())};
    return n;
}

void readShowOptions(const QCommandLineParser& parser, const OptionTable& table, Options& o) {
    if (parser.isSet(table.unit)) {
        const QString value = parser.value(table.unit);
        if (value == QLatin1String("km"))
            o.unit = Unit::Km;
        else if (value == QLatin1String("mile"))
            o.unit = Unit::Mile;
        else
            throw UsageError{QStringLiteral("--unit takes km or mile")};
    }
    o.json = parser.isSet(table.json);
    o.listRoutes = parser.isSet(table.routes);
    if (o.listRoutes &&
        (parser.isSet(table.route) || parser.isSet(table.fit) || parser.isSet(table.unit)))
        throw UsageError{QStringLiteral("--routes lists the routes; it takes no --route, --fit "
                                        "or --unit")};
}

void readConvertOptions(const QCommandLineParser& parser, const OptionTable& table, Options& o) {
    if (parser.isSet(table.output))
        o.output = parser.value(table.output);
    if (parser.isSet(table.routeName))
        o.routeName = parser.value(table.routeName);
    if (parser.isSet(table.row))
        o.row = integerValue(parser, table.row, 1, MaxRouteWaypoints);
    if (parser.isSet(table.name))
        o.name = parser.value(table.name);
    if (parser.isSet(table.icon))
        o.icon = integerValue(parser, table.icon, 0, IconCount - 1);
    o.nameMacro = parser.isSet(table.nameMacro);
    o.iconMacro = parser.isSet(table.iconMacro);
    o.replaceInput = parser.isSet(table.replaceInput);
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
    const OptionTable table;
    parseOptions(parser, table, args.mid(1), show);
    if (show)
        readShowOptions(parser, table, o);
    else
        readConvertOptions(parser, table, o);
    o.fit = parser.isSet(table.fit);
    if (parser.isSet(table.route))
        o.route = integerValue(parser, table.route, 1);

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

// An argument's bytes as text, each byte that is no part of valid UTF-8 as an escape (\xff).
QString escapedArgument(const QByteArray& bytes) {
    QString shown;
    for (qsizetype i = 0; i < bytes.size();) {
        const uchar lead = uchar(bytes.at(i));
        const int length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        const QByteArray sequence = bytes.mid(i, length);
        const QString character = QString::fromUtf8(sequence);
        if (character.toUtf8() == sequence) {
            shown += character;
            i += length;
        } else {
            shown += QStringLiteral("\\x%1").arg(unsigned(lead), 2, 16, QLatin1Char('0'));
            ++i;
        }
    }
    return shown;
}

// The arguments as text. One that is not valid UTF-8 cannot be kept as given: Qt would
// open or write another file in place of the one named, so it is refused.
QStringList decodeArguments(const QList<QByteArray>& arguments) {
    QStringList texts;
    for (const QByteArray& bytes : arguments) {
        const QString text = QString::fromUtf8(bytes);
        if (text.toUtf8() != bytes)
            throw UsageError{QStringLiteral("%1 is not valid UTF-8: rv58route-cli reads and "
                                            "writes files only under UTF-8 names; rename the "
                                            "file")
                                 .arg(escapedArgument(bytes))};
        texts << text;
    }
    return texts;
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

// Writes a message to standard error, each of its own lines escaped as show escapes cells:
// no byte of a file, a name or the converter's output reaches the terminal as a control.
void say(QTextStream& err, const QString& text) {
    if (text.isEmpty())
        return;
    for (const QString& line : text.split(QLatin1Char('\n')))
        err << EscapedText(line) << '\n';
}

// A refusal as the command line shows it: the way forward is the one for its options.
Failure commandLineFailure(Refusal refusal) {
    return Failure{WithWayForward(std::move(refusal), Audience::CommandLine)};
}

Failure commandLineFailure(const char* headline, const QString& reason, Cause cause) {
    Refusal refusal(Message::text(headline), reason);
    refusal.cause = cause;
    return commandLineFailure(refusal);
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
    say(err, loader.fitReport());
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
        const QJsonObject root{{QLatin1String("format"), RouteJsonFormat},
                               {QLatin1String("routes"), routes}};
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

void show(const Options& o, const LoadedRoute& route, QTextStream& out) {
    if (o.listRoutes)
        printRoutes(o, route, out);
    else if (o.json)
        out << RouteJson(route.table, route.state.waypointCount(), route.routeName, o.unit,
                         route.shown.routeLengthText)
            << '\n';
    else
        printTable(route, out);
}

// A device route needs waypoints; a file of none would give the device a header only.
void checkHasWaypoints(const Options& o, const LoadedRoute& route) {
    if (route.state.waypointCount() > 0)
        return;
    throw commandLineFailure(
        Message::FormatError,
        route.routes.isEmpty()
            ? QStringLiteral("%1 holds no route: no route line (R) and no waypoint line (W).")
                  .arg(o.input)
            : QStringLiteral("Route %1 of %2 has no waypoints.").arg(o.route).arg(o.input),
        Cause::EmptyRoute);
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
        throw commandLineFailure(
            RefuseWaypointInput(problem, name, shown->latitude, shown->longitude));
    AcceptWaypoint(route.table, row, TrimControl(name), icon,
                   WaypointCountFromText(route.shown.countText), o.iconMacro, o.nameMacro);
}

// The route name checked as Save Route checks it; `given` is what the user sees of it.
QString checkedRouteName(const QString& text, const QString& given) {
    QString name;
    const QString problem = CheckRouteName(text, &name);
    if (!problem.isEmpty())
        throw commandLineFailure(RefuseRouteName(problem, given));
    return name;
}

// The route name to save: --route-name, or the file's own, which the reader cut to the
// device's 12 characters; the cut is said, as the saved file keeps only what is left.
QString routeNameToSave(const Options& o, const LoadedRoute& route, QTextStream& err) {
    const int line = route.state.routeLine;
    const bool nameField = line >= 0 && SplitFields(route.state.RouteLineStore.at(line)).size() > 3;
    if (o.routeName) {
        if (!nameField)
            throw UsageError{QStringLiteral("--route-name: route %1 of %2 has %3 to put a name "
                                            "into; leave --route-name out")
                                 .arg(o.route)
                                 .arg(o.input, line < 0
                                                   ? QStringLiteral("no route line (R)")
                                                   : QStringLiteral("no name field in its route "
                                                                    "line (R)"))};
        return checkedRouteName(*o.routeName, *o.routeName);
    }
    if (line < 0)
        return QString();
    const QString whole =
        o.route <= route.routes.size() ? route.routes.at(o.route - 1).name : route.routeName;
    const QString name = checkedRouteName(route.routeName, whole);
    if (TrimControl(whole) != name) {
        say(err, QStringLiteral("The route name \"%1\" is cut to the device's %2 characters: "
                                "\"%3\".")
                     .arg(Quoted(TrimControl(whole)), QString::number(MaxRouteNameLength), name));
        say(err, WayForward(Cause::RouteName, Audience::CommandLine));
    }
    return name;
}

// A route file in place of the input file loses what the saved route does not hold: the
// other routes of a route file, everything of a GPX file.
void checkKeepsInput(const Options& o, const LoadedRoute& route) {
    if (o.replaceInput || o.output == QLatin1String("-"))
        return;
    const QFileInfo in(o.input), out(o.output);
    if (!out.exists() || in.canonicalFilePath() != out.canonicalFilePath())
        return;
    const bool gpx = FileTypeOf(o.input) == RouteFileType::Gpx;
    if (!gpx && route.routes.size() <= 1)
        return;
    throw commandLineFailure(
        Message::WriteError,
        gpx ? QStringLiteral("%1 is the input file; a route file would replace the GPX file.")
                  .arg(o.output)
            : QStringLiteral("%1 is the input file, which holds %2 routes; the file written "
                             "holds route %3 alone.")
                  .arg(o.output, QString::number(route.routes.size()), QString::number(o.route)),
        Cause::ReplaceInput);
}

// The warning to give before a route is saved with icon numbers the device has no icon for:
// how many there are and the first few, each with its row. Empty when every icon fits.
QString deviceIconWarning(const RouteTable& table, int waypointCount) {
    constexpr int Shown = 3;
    int misfits = 0;
    QStringList shown;
    for (int row = 1; row <= waypointCount; ++row) {
        const QString icon = TrimControl(table.cell(RouteTable::ColIcon, row));
        int number = -1;
        if (ParseDecimalInteger(icon, number) && number >= 0 && number < IconCount)
            continue;
        if (++misfits <= Shown)
            shown << QStringLiteral("%1 in row %2").arg(Quoted(icon), QString::number(row));
    }
    if (misfits == 0)
        return QString();
    const QString count = misfits == 1 ? QStringLiteral("1 waypoint icon is")
                                       : QStringLiteral("%1 waypoint icons are").arg(misfits);
    return count + QStringLiteral(" not one of the device's (0 to %1): ").arg(IconCount - 1) +
           shown.join(QStringLiteral(", ")) +
           (misfits > Shown ? QStringLiteral(", ...") : QStringLiteral(".")) + QLatin1Char('\n') +
           WayForward(Cause::IconNumber, Audience::CommandLine);
}

// The file's bytes to standard output, every write checked, or to the file, whole or not at
// all.
void write(const Options& o, const QByteArray& bytes, QTextStream& out) {
    if (o.output == QLatin1String("-")) {
        out.flush();
        QIODevice* device = out.device();
        if (out.status() != QTextStream::Ok || !device || device->write(bytes) != bytes.size())
            throw Failure{
                {Message::text(Message::WriteError), device ? device->errorString() : QString()}};
        return;
    }
    QString error;
    if (!WriteRouteFile(o.output, bytes, &error))
        throw commandLineFailure(RefuseWrite(o.output, error));
}

// Save Route: the route name check, the stored lines rebuilt, the file written whole.
void save(const Options& o, LoadedRoute& route, QTextStream& out, QTextStream& err) {
    checkKeepsInput(o, route);
    const QString name = routeNameToSave(o, route, err);
    // Names and icons the device would not take are saved as they are, with a warning.
    say(err, DeviceNameWarning(route.table, route.state.waypointCount(), Audience::CommandLine));
    say(err, deviceIconWarning(route.table, route.state.waypointCount()));
    write(o, RebuildRouteLines(route.state, route.table, name), out);
}

void run(const Options& o, QTextStream& out, QTextStream& err) {
    // One watcher for the whole run: a stop request ends it at whichever stage it comes.
    const InterruptWatcher watcher;
    LoadedRoute route;
    load(o, route, watcher, err);
    if (o.command == QLatin1String("show")) {
        show(o, route, out);
        checkInterrupt(watcher);
        return;
    }
    checkHasWaypoints(o, route);
    if (o.edits())
        accept(o, route);
    save(o, route, out, err);
    checkInterrupt(watcher);
}

} // namespace

int RunCli(const QList<QByteArray>& arguments, QTextStream& out, QTextStream& err) {
    try {
        const QStringList args = decodeArguments(arguments);
        // --help and --version count anywhere among the options, not behind "--".
        const QStringList options = args.mid(0, args.indexOf(QLatin1String("--")));
        if (options.contains(QLatin1String("--help")) || options.contains(QLatin1String("-h")))
            out << Usage << Help;
        else if (options.contains(QLatin1String("--version")))
            out << "rv58route-cli " << RV58_VERSION << '\n';
        else
            run(parse(args), out, err);
        // Text for standard output is only now all written; a full disk shows here.
        out.flush();
        if (out.status() != QTextStream::Ok)
            throw Failure{{QStringLiteral("rv58route-cli: standard output cannot be written."),
                           out.device() ? out.device()->errorString() : QString()}};
        return 0;
    } catch (const UsageError& e) {
        say(err, QStringLiteral("rv58route-cli: ") + e.text);
        err << Usage;
        return 2;
    } catch (const Failure& f) {
        for (const QString& text :
             {f.refusal.headline, f.refusal.reason, f.refusal.remedy, f.refusal.details})
            say(err, text);
        return 1;
    } catch (const RouteError& e) {
        say(err, e.text());
        return 1;
    } catch (const Interrupted& i) {
        say(err, QStringLiteral("rv58route-cli: interrupted"));
        return i.status;
    }
}
