// SPDX-License-Identifier: GPL-3.0-or-later
// Shared by the fuzz targets: a property that fails stops the run with the reason, so
// libFuzzer keeps the input that broke it.
#pragma once

#include <QByteArray>
#include <QList>

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "property broken: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

namespace fuzz {

// A file's lines: each up to and including its LF, the last one to the end of the file.
inline QList<QByteArray> lines(const QByteArray& file) {
    QList<QByteArray> all;
    for (qsizetype start = 0; start < file.size();) {
        const qsizetype lf = file.indexOf('\n', start);
        const qsizetype end = lf < 0 ? file.size() : lf + 1;
        all.append(file.mid(start, end - start));
        start = end;
    }
    return all;
}

// What reading route `number` keeps of a file, told line by line: the header (every line
// ahead of the first R or W record) as one piece, then the record lines of that route, where
// each R line starts a route but the first, which also takes the W lines ahead of it.
// `routes` receives how many routes the file holds.
inline QList<QByteArray> keptPieces(const QByteArray& file, int number, int& routes) {
    QList<QByteArray> kept{QByteArray()};
    routes = 0;
    bool hasR = false;
    for (const QByteArray& line : lines(file)) {
        const bool record =
            line.size() >= 2 && line.at(1) == ',' && (line.at(0) == 'R' || line.at(0) == 'W');
        if (record && line.at(0) == 'R') {
            if (routes == 0 || hasR)
                ++routes;
            hasR = true;
        } else if (record && routes == 0) {
            routes = 1;
        }
        if (routes == 0)
            kept.first() += line;
        else if (record && routes == number)
            kept.append(line);
    }
    if (kept.first().isEmpty())
        kept.removeFirst();
    return kept;
}

// A line's fields as the format divides them: at every comma, the last one with the end.
inline QList<QByteArray> fields(const QByteArray& line) {
    return line.split(',');
}

} // namespace fuzz
