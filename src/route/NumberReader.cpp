// SPDX-License-Identifier: GPL-3.0-or-later
#include "route/NumberReader.h"

#include <QVarLengthArray>

#include <charconv>
#include <type_traits>

namespace {

template <class Char> bool isSign(Char c) {
    return c == '+' || c == '-';
}

// Where the number of `shape` that starts at `from` ends, and how many digits it holds; a
// text of bytes and one of UTF-16 units are scanned alike.
template <class Char>
qsizetype scanNumber(const Char* s, qsizetype size, qsizetype from, NumberShape shape,
                     int& digits) {
    const auto digitAt = [s, size](qsizetype i) { return i < size && IsDecimalDigit(s[i]); };
    qsizetype i = from;
    if (i < size && isSign(s[i]))
        ++i;
    digits = 0;
    for (; digitAt(i); ++i)
        ++digits;
    if (shape != NumberShape::Integer && i < size && s[i] == '.') {
        for (++i; digitAt(i); ++i)
            ++digits;
    }
    if (shape == NumberShape::Scientific && digits > 0 && i < size &&
        (s[i] == 'e' || s[i] == 'E')) {
        qsizetype j = i + 1;
        if (j < size && isSign(s[j]))
            ++j;
        if (digitAt(j)) {
            while (digitAt(j))
                ++j;
            i = j;
        }
    }
    return i;
}

// The characters from..end as bytes for std::from_chars, which takes no leading '+'. Bytes are
// used where they stand; UTF-16 units, all of them ASCII once scanned, are copied.
template <class Char, class Convert>
auto convert(const Char* s, qsizetype from, qsizetype end, Convert fromChars) {
    if (s[from] == '+')
        ++from;
    if constexpr (std::is_same_v<Char, char>) {
        return fromChars(s + from, s + end);
    } else {
        QVarLengthArray<char, 64> ascii(end - from);
        for (qsizetype k = from; k < end; ++k)
            ascii[k - from] = char(s[k]);
        return fromChars(ascii.constData(), ascii.constData() + ascii.size());
    }
}

// std::from_chars in place of the number's text: nothing when it is out of range (a double
// that would be infinite or round to zero, an integer beyond 32 bits).
template <class Number> std::optional<Number> fromChars(const char* begin, const char* end) {
    Number value = 0;
    const auto [ptr, error] = std::from_chars(begin, end, value);
    Q_ASSERT(error != std::errc() || ptr == end);
    if (error != std::errc())
        return std::nullopt;
    return value;
}

template <class Char>
NumberRead readNumber(const Char* s, qsizetype size, qsizetype from, NumberShape shape) {
    int digits = 0;
    const qsizetype end = scanNumber(s, size, from, shape, digits);
    if (digits == 0)
        return {from, std::nullopt};
    return {end, convert(s, from, end, fromChars<double>)};
}

} // namespace

NumberRead ReadNumber(QStringView text, qsizetype from, NumberShape shape) {
    return readNumber(text.utf16(), text.size(), from, shape);
}

NumberRead ReadNumber(QByteArrayView text, qsizetype from, NumberShape shape) {
    return readNumber(text.data(), text.size(), from, shape);
}

std::optional<int> ReadInteger(QStringView text) {
    int digits = 0;
    if (scanNumber(text.utf16(), text.size(), 0, NumberShape::Integer, digits) != text.size() ||
        digits == 0)
        return std::nullopt;
    return convert(text.utf16(), 0, text.size(), fromChars<int>);
}
