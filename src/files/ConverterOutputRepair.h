// SPDX-License-Identifier: GPL-3.0-or-later
// Repair of the route files that GPSBabel writes. It copies names and comments into the
// file as they are, so a comma, CR or LF in a GPX name splits a field or a record, and a
// reader that divides at every comma takes a piece of the name for the latitude.
#pragma once

#include <QByteArray>
#include <QList>

#include <atomic>

// The route names as GPSBabel lists them apart from the route file (tab-separated, where no
// comma counts): one per route that has waypoints, in the file's order, with every control
// character made a blank. The repair takes the next one for a route line when its text
// stands at the line's name, and so knows where the name ends even when it holds commas.
struct ListedRouteNames {
    QList<QByteArray> names;
    qsizetype next = 0;
};

// Every comma, CR and LF inside a waypoint's name or comment, or inside a route's name or
// description, made a blank, in place, from `from` (where the records begin) to the end;
// everything else byte for byte, so records that need no repair stay as they are. The
// converter writes its records as
//
//   R,1,NAME,DESCRIPTION,                                         (CR LF)
//   W,1,,2,NAME,47.200000,8.200000,DATE,0,1,3,0,65535,COMMENT,0,0 (CR LF)
//
// where only NAME, DESCRIPTION and COMMENT are free text. A name ends where that fixed middle
// first follows, a comment or route line at the first record end that another record or the
// end of the file follows. A route line whose name is listed keeps its description. One
// whose name and description cannot be told apart otherwise (more than one comma between
// them) keeps everything up to its last comma as the name, which so always begins with the
// route's own name, and loses its description; a track made a route is described as
// "Generated from track NAME", which tells its name. From a record that has neither shape
// on, the rest is kept as it is. One pass: the cost follows the file's size.
//
// Returns the new size of `bytes`, which shrinks only by lost descriptions, or -1 when
// `stop` was set meanwhile (the bytes are then of no use).
qsizetype RepairConverterRecords(QByteArray& bytes, qsizetype from,
                                 ListedRouteNames* names = nullptr,
                                 const std::atomic_bool* stop = nullptr);

// A whole route file the converter wrote, repaired: its four header lines as they are, its
// records as RepairConverterRecords leaves them.
QByteArray RepairConverterOutput(const QByteArray& bytes);

// Where the record lines of a route file the converter wrote begin: behind its four header
// lines, each ended by CR LF, or at 0 when the file begins with a record (GPSBabel writes the
// header once per run, so a second route file of the same run has none). The file's size
// when it has neither.
qsizetype ConverterRecordsStart(const QByteArray& bytes);
