// SPDX-License-Identifier: GPL-3.0-or-later
// Small route files for the tests, written out as bytes.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace fixtures {

inline QByteArray header(const QByteArray& eol = "\r\n") {
    return "OziExplorer Route File Version 1.0" + eol + "WGS 84" + eol + "Reserved 1" + eol +
           "Reserved 2" + eol;
}

inline QByteArray routeLine(const QByteArray& name, const QByteArray& eol = "\r\n") {
    return "R,  0," + name + ",," + eol;
}

// A waypoint line in the shape route tools write, with a number, name, position and icon.
inline QByteArray waypointLine(int number, const QByteArray& name, const QByteArray& lat,
                               const QByteArray& lon, const QByteArray& icon = "3",
                               const QByteArray& eol = "\r\n") {
    return "W,  1,  " + QByteArray::number(number) + ",  " + QByteArray::number(number) + "," +
           name + "," + lat + "," + lon + ",40000.00000," + icon + ", 1, 3,0,65535,,0,0" + eol;
}

// A route of `count` waypoints heading north-east from 48 N 11 E.
inline QByteArray routeFile(int count, const QByteArray& eol = "\r\n",
                            const QByteArray& name = "TESTROUTE") {
    QByteArray bytes = header(eol) + routeLine(name, eol);
    for (int i = 0; i < count; ++i)
        bytes += waypointLine(i + 1, "WP" + QByteArray::number(i + 1),
                              QByteArray::number(48.0 + i * 0.001, 'f', 6),
                              QByteArray::number(11.0 + i * 0.001, 'f', 6), "3", eol);
    return bytes;
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace fixtures
