// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/RouteFileWriter.h"

#include "files/RouteFileReader.h"
#include "files/SaveTarget.h"

#include "route/DeviceRules.h"
#include "route/DeviceText.h"
#include "route/Messages.h"
#include "route/RouteState.h"
#include "route/RouteTable.h"

#include <QDir>
#include <QList>
#include <QSaveFile>
#include <QStringList>

#include <cerrno>

#include <initializer_list>
#include <utility>

namespace {

// Composes a line anew from its fields, with the given fields replaced. A field is
// replaced only where a comma follows it: the last field carries the line end and is
// always copied as it stands.
QByteArray rebuildLine(const QByteArray& line,
                       std::initializer_list<std::pair<int, QByteArray>> replacements) {
    QList<QByteArray> fields = SplitFields(line);
    for (const auto& [index, value] : replacements)
        if (index < fields.size() - 1)
            fields[index] = value;
    return fields.join(',');
}

} // namespace

QString CheckRouteName(const QString& fieldText, QString* trimmed) {
    const QString name = TrimControl(fieldText);
    if (trimmed)
        *trimmed = name;
    const NameFault fault =
        name.isEmpty() ? NameFault::Length : DeviceNameFault(name, MaxRouteNameLength);
    switch (fault) {
    case NameFault::Length:
        return Message::text(Message::RouteNameLength);
    case NameFault::Character:
        return Message::text(Message::RouteNameChar);
    case NameFault::None:
        break;
    }
    return QString();
}

Refusal RefuseRouteName(const QString& headline, const QString& given) {
    Refusal refusal(headline,
                    DeviceNameReason(QStringLiteral("The route name"), given, MaxRouteNameLength,
                                     headline == Message::text(Message::RouteNameLength)));
    refusal.cause = Cause::RouteName;
    return refusal;
}

Refusal RefuseWrite(const QString& path, const QString& reason) {
    // A target that is no file to write names itself; a failed write is named here.
    const QString shown = QDir::toNativeSeparators(path);
    Refusal refusal(Message::text(Message::WriteError),
                    reason.startsWith(shown)
                        ? reason
                        : QStringLiteral("%1 could not be written: %2").arg(shown, reason));
    refusal.cause = Cause::WriteFailed;
    return refusal;
}

QString DeviceNameWarning(const RouteTable& table, int waypointCount, Audience audience) {
    // A handful of names is enough to recognise the problem; the count says the rest.
    constexpr int NamesShown = 3;
    int misfits = 0;
    QStringList shown;
    for (int row = 1; row <= waypointCount; ++row) {
        const QString name = table.cell(RouteTable::ColName, row);
        if (FitsDeviceName(name))
            continue;
        if (++misfits <= NamesShown)
            shown << DisplayText(name);
    }
    if (misfits == 0)
        return QString();
    const QString count = misfits == 1
                              ? QStringLiteral("1 waypoint name does not fit")
                              : QStringLiteral("%1 waypoint names do not fit").arg(misfits);
    const QString list = shown.join(QStringLiteral(", ")) +
                         (misfits > NamesShown ? QStringLiteral(", ...") : QStringLiteral("."));
    return count +
           QStringLiteral(" the device (at most %1 characters of %2): ")
               .arg(MaxWaypointNameLength)
               .arg(QLatin1String(DeviceNameCharacters)) +
           list + QLatin1Char(' ') + WayForward(Cause::WaypointNames, audience);
}

QByteArray RebuildRouteLines(RouteState& state, const RouteTable& table, const QString& routeName) {
    if (state.routeLine >= 0) {
        QByteArray& line = state.RouteLineStore[state.routeLine];
        line = rebuildLine(line, {{2, routeName.toLatin1()}});
    }
    for (int row = 1; row <= state.waypointCount(); ++row) {
        QByteArray& line = state.RouteLineStore[state.lineOfRow(row)];
        line = rebuildLine(line, {{4, table.cell(RouteTable::ColName, row).toLatin1()},
                                  {5, table.cell(RouteTable::ColLatitude, row).toLatin1()},
                                  {6, table.cell(RouteTable::ColLongitude, row).toLatin1()},
                                  {8, table.cell(RouteTable::ColIcon, row).toLatin1()}});
    }
    return state.RouteLineStore.join();
}

bool WriteRouteFile(const QString& path, const QByteArray& bytes, QString* error) {
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    // A directory, fifo or device node is never replaced by a regular file.
    const QString target = CheckSaveTarget(path);
    if (!target.isEmpty())
        return fail(target);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(DescribeWriteError(file.errorString(), errno));
    // The bytes are pushed out before the commit: a commit does not always notice that its
    // own flush failed (a full device), and would then put an empty file in place of the
    // old one and report success.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString why = DescribeWriteError(file.errorString(), errno);
        file.cancelWriting();
        return fail(why);
    }
    if (!file.commit())
        return fail(DescribeWriteError(file.errorString(), errno));
    return true;
}
