// SPDX-License-Identifier: GPL-3.0-or-later
// Repair of the route files that GPSBabel writes. It copies names and comments into the
// file as they are, so a comma, CR or LF in a GPX name splits a field or a record, and a
// reader that divides at every comma takes a piece of the name for the latitude.
#pragma once

#include <QByteArray>

// The same route file with every comma, CR and LF inside a waypoint's name or comment, or
// inside a route's name or description, made a blank; everything else byte for byte, so a
// file that needs no repair comes back unchanged. The converter writes its records as
//
//   R,1,NAME,DESCRIPTION,                                         (CR LF)
//   W,1,,2,NAME,47.200000,8.200000,DATE,0,1,3,0,65535,COMMENT,0,0 (CR LF)
//
// where only NAME, DESCRIPTION and COMMENT are free text. A route line whose name and
// description cannot be told apart (more than one comma between them) keeps everything up
// to its last comma as the name, which so always begins with the route's own name, and
// loses its description. From a record that has neither shape on, the rest is kept as it is.
QByteArray RepairConverterOutput(const QByteArray& bytes);

// Where the record lines of a route file the converter wrote begin: behind its four header
// lines, each ended by CR LF. The file's size when it has fewer.
qsizetype ConverterRecordsStart(const QByteArray& bytes);
