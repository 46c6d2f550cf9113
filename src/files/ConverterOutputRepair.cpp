// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ConverterOutputRepair.h"

#include <QRegularExpression>
#include <QString>

namespace {

const int HeaderLines = 4;

QString blanked(QString text) {
    for (QChar& c : text) {
        if (c == QLatin1Char(',') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    }
    return text;
}

// Everything but the free text is fixed by the converter's writer: numbers, coordinates
// with six decimals, the date as a day number (empty for a point without a time) and the
// constant display fields. So a name ends where that fixed middle first follows, and a
// comment or route line ends at the first record end that another record or the end of
// the file follows.
const QRegularExpression& recordPattern() {
    static const QRegularExpression pattern(
        QStringLiteral("W,\\d+,,\\d+,(?<name>.*?),-?\\d+\\.\\d{6},-?\\d+\\.\\d{6},[-0-9.]*,"
                       "0,1,3,0,65535,(?<comment>.*?),0,0\\r\\n(?=[RW],|\\z)"
                       "|R,\\d+,(?<route>.*?)\\r\\n(?=[RW],|\\z)"),
        QRegularExpression::DotMatchesEverythingOption);
    return pattern;
}

// NAME,DESCRIPTION, of a route line, repaired. A track made a route is described as
// "Generated from track NAME", which tells its name even when it holds commas.
QString repairedRoute(const QString& fields) {
    if (!fields.endsWith(QLatin1Char(',')))
        return fields;
    const QString text = fields.chopped(1);
    const QString generated = QStringLiteral(",Generated from track ");
    const qsizetype half = (text.size() - generated.size()) / 2;
    if (half >= 0 && text.size() == 2 * half + generated.size() &&
        text.mid(half, generated.size()) == generated && text.left(half) == text.right(half)) {
        const QString name = blanked(text.left(half));
        return name + generated + name + QLatin1Char(',');
    }
    const qsizetype last = text.lastIndexOf(QLatin1Char(','));
    if (last < 0)
        return fields;
    const QString name = text.left(last);
    const QString description = name.contains(QLatin1Char(',')) ? QString() : text.mid(last + 1);
    return blanked(name) + QLatin1Char(',') + blanked(description) + QLatin1Char(',');
}

} // namespace

qsizetype ConverterRecordsStart(const QByteArray& bytes) {
    qsizetype pos = 0;
    for (int line = 0; line < HeaderLines; ++line) {
        const qsizetype end = bytes.indexOf("\r\n", pos);
        if (end < 0)
            return bytes.size();
        pos = end + 2;
    }
    return pos;
}

QByteArray RepairConverterOutput(const QByteArray& bytes) {
    // Latin-1 maps every byte to one character and back, so Windows-1252 text and any
    // other byte pass through unchanged.
    const QString text = QString::fromLatin1(bytes);
    qsizetype pos = ConverterRecordsStart(bytes);
    QString repaired = text.left(pos);
    while (pos < text.size()) {
        const QRegularExpressionMatch record =
            recordPattern().match(text, pos, QRegularExpression::NormalMatch,
                                  QRegularExpression::AnchorAtOffsetMatchOption);
        if (!record.hasMatch())
            break;
        QString repairedRecord = record.captured();
        const qsizetype start = record.capturedStart();
        if (record.capturedStart(u"route") >= 0) {
            const qsizetype from = record.capturedStart(u"route") - start;
            repairedRecord.replace(from, record.capturedLength(u"route"),
                                   repairedRoute(record.captured(u"route")));
        } else {
            // Blanks in place of commas keep the lengths, so the name's place stays valid
            // after the comment behind it is repaired.
            for (const auto* field : {u"comment", u"name"}) {
                const qsizetype from = record.capturedStart(field) - start;
                repairedRecord.replace(from, record.capturedLength(field),
                                       blanked(record.captured(field)));
            }
        }
        repaired += repairedRecord;
        pos = record.capturedEnd();
    }
    repaired += text.mid(pos);
    return repaired.toLatin1();
}
