#include "cli/CliCommands.h"

#include "editing/WaypointEditor.h"
#include "editing/WaypointValidation.h"
#include "files/RouteFileReader.h"
#include "files/RouteFileWriter.h"
#include "files/RouteImport.h"
#include "geometry/RouteMeasurement.h"
#include "route/CellNumber.h"
#include "route/DeviceText.h"
#include "route/RouteState.h"
#include "route/RouteTable.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <optional>

namespace {

const char* const Usage =
    "usage: rv58route-cli show ROUTE.gpx|ROUTE.rte [--unit km|mile] [--json]\n"
    "       rv58route-cli convert IN.gpx|IN.rte -o OUT.rte|- [--route-name NAME]\n"
    "                     [--row R] [--name TEXT] [--name-macro] [--icon K] [--icon-macro]\n"
    "       rv58route-cli --help | --version\n";

const int KmIndex = 0;
const int MileIndex = 1;

struct Options {
    QString command;
    QString input;
    QString output;            // "-" is standard output
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
    const QList<QCommandLineOption> own =
        show ? QList<QCommandLineOption>{unit, json}
             : QList<QCommandLineOption>{output, routeName, row, name, icon, nameMacro, iconMacro};
    // Every option is known to the parser, so that it is never asked about one it was not
    // given; one that belongs to the other command is refused like an unknown one.
    parser.addOptions({unit, json, output, routeName, row, name, icon, nameMacro, iconMacro});
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

    auto integer = [&parser](const QCommandLineOption& option, int low, int high) {
        bool ok = false;
        const int n = parser.value(option).toInt(&ok);
        if (!ok || n < low || n > high)
            throw UsageError{QStringLiteral("--%1 takes a whole number from %2 to %3")
                                 .arg(option.names().constLast())
                                 .arg(low)
                                 .arg(high)};
        return n;
    };
    if (parser.isSet(unit)) {
        const QString value = parser.value(unit);
        if (value == QLatin1String("km"))
            o.unitIndex = KmIndex;
        else if (value == QLatin1String("mile"))
            o.unitIndex = MileIndex;
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
        o.icon = integer(icon, 0, 44);
    o.nameMacro = parser.isSet(nameMacro);
    o.iconMacro = parser.isSet(iconMacro);

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

// A cell as a terminal should show it: Windows-1252 characters as such, and line ends,
// tabs and every other control character as visible escapes, so that no byte of a file can
// move the cursor or change the terminal's state.
QString visible(const QString& cell) {
    const QString shown = DisplayText(cell);
    QString text;
    text.reserve(shown.size());
    for (const QChar c : shown) {
        const char16_t u = c.unicode();
        if (u == '\r')
            text += QLatin1String("\\r");
        else if (u == '\n')
            text += QLatin1String("\\n");
        else if (u == '\t')
            text += QLatin1String("\\t");
        else if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
            text += QStringLiteral("\\x%1").arg(unsigned(u), 2, 16, QLatin1Char('0'));
        else
            text += c;
    }
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
            waypoint.insert(QLatin1String(keys[c]), DisplayText(route.table.cell(c, r)));
        waypoints.append(waypoint);
    }
    QJsonObject root;
    root.insert(QLatin1String("route_name"), DisplayText(route.routeName));
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
void save(const Options& o, LoadedRoute& route, QTextStream& out) {
    QString name;
    const QString problem = CheckRouteName(o.routeName.value_or(route.routeName), &name);
    if (!problem.isEmpty())
        throw Failure{problem, QString()};
    const QByteArray bytes = RebuildRouteLines(route.state, route.table, name);
    if (o.output == QLatin1String("-")) {
        out.flush();
        QIODevice* device = out.device();
        if (!device || device->write(bytes) != bytes.size())
            throw Failure{QStringLiteral("RTE file write error."),
                          QStringLiteral("The standard output cannot be written.")};
        return;
    }
    QString error;
    if (!WriteRouteFile(o.output, bytes, &error))
        throw Failure{QStringLiteral("RTE file write error."), error};
}

} // namespace

int RunCli(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    // --help and --version count anywhere among the options, not behind "--".
    const QStringList options = arguments.mid(0, arguments.indexOf(QLatin1String("--")));
    if (options.contains(QLatin1String("--help")) || options.contains(QLatin1String("-h"))) {
        out << Usage;
        return 0;
    }
    if (options.contains(QLatin1String("--version"))) {
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
        save(o, route, out);
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
