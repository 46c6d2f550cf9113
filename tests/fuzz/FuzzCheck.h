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

// The bytes that reading takes from a file: every whole line up to the last LF, or up to a
// line cut at 256 bytes or a NUL, which then gets an LF of its own.
inline bool isTakenText(const QByteArray& taken, const QByteArray& file) {
    if (!taken.endsWith('\n'))
        return false;
    if (file.startsWith(taken))
        return true;
    const QByteArray cut = taken.chopped(1);
    if (!file.startsWith(cut))
        return false;
    const qsizetype lastLine = cut.lastIndexOf('\n') + 1;
    const bool atNul = cut.size() < file.size() && file.at(cut.size()) == '\0';
    const bool atLimit = cut.size() - lastLine == 256;
    return atNul || atLimit;
}

// A line's fields as the format divides them: at every comma, the last one with the end.
inline QList<QByteArray> fields(const QByteArray& line) {
    return line.split(',');
}

} // namespace fuzz
