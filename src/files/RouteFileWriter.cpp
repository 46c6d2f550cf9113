// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/RouteFileWriter.h"
#include "files/RouteFileReader.h"
#include "files/SaveTarget.h"

#include "route/DeviceRules.h"
#include "route/DeviceText.h"
#include "route/Messages.h"
#include "route/RouteState.h"
#include "route/RouteTable.h"

#include <QList>
#include <QSaveFile>

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
    if (name.isEmpty() || name.size() > MaxRouteNameLength)
        return Message::text(Message::RouteNameLength);
    for (const QChar c : name)
        if (!IsDeviceNameCharacter(c))
            return Message::text(Message::RouteNameChar);
    return QString();
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
