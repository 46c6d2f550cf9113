// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/IconSheet.h"

#include <QFile>
#include <QPainter>
#include <QStringView>

namespace {

constexpr int DesignSize = 12; // design pixels across and down; each is 2 x 2 sheet pixels
constexpr int Scale = IconSheet::CellSize / DesignSize;

// The artwork text: for each icon a line "number name", then DesignSize lines of DesignSize
// characters, '#' black and '.' white. Lines starting with ';' are comments.
void drawArtwork(QImage& sheet, const QString& text) {
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString header = lines.at(i).trimmed();
        if (header.isEmpty() || header.startsWith(QLatin1Char(';')))
            continue;
        bool isNumber = false;
        const int n = header.section(QLatin1Char(' '), 0, 0).toInt(&isNumber);
        if (!isNumber || n < 0 || n >= IconCount)
            continue;
        const QRect cell = IconSheet::IconCell(n);
        for (int row = 0; row < DesignSize && i + 1 + row < lines.size(); ++row) {
            const QStringView art = QStringView(lines.at(i + 1 + row)).left(DesignSize);
            for (int col = 0; col < art.size(); ++col) {
                if (art.at(col) != QLatin1Char('#'))
                    continue;
                for (int dy = 0; dy < Scale; ++dy)
                    for (int dx = 0; dx < Scale; ++dx)
                        sheet.setPixel(cell.x() + Scale * col + dx, cell.y() + Scale * row + dy,
                                       qRgb(0, 0, 0));
            }
        }
        i += DesignSize;
    }
}

} // namespace

IconSheet::IconSheet() : m_image(Width, Height, QImage::Format_RGB32) {
    m_image.fill(Qt::white);
    QFile art(QStringLiteral(":/icons/icons.txt"));
    if (art.open(QIODevice::ReadOnly))
        drawArtwork(m_image, QString::fromLatin1(art.readAll()));
}

QRect IconSheet::IconCell(int n) {
    return QRect(2 + CellSize * (n % Columns), 2 + CellSize * (n / Columns), CellSize, CellSize);
}

QStringList IconListEntries() {
    // The blanks inside and after some names are part of the entries as the list shows them.
    return {
        QStringLiteral("0  Star       "),     QStringLiteral("1  Flag Post"),
        QStringLiteral("2  House"),           QStringLiteral("3  Sign Post         "),
        QStringLiteral("4  Telegraph Pole"),  QStringLiteral("5  Museum "),
        QStringLiteral("6  Gas Station"),     QStringLiteral("7  Cash Machine"),
        QStringLiteral("8  Speed Camera"),    QStringLiteral("9  Mountains"),
        QStringLiteral("10 Water(River)"),    QStringLiteral("11 Tree"),
        QStringLiteral("12 Bridge"),          QStringLiteral("13 Cross Roads"),
        QStringLiteral("14 Y Road"),          QStringLiteral("15 Right Turn"),
        QStringLiteral("16 Left Turn"),       QStringLiteral("17 Animal(Duck)"),
        QStringLiteral("18 House(Barn)"),     QStringLiteral("19 Camp Site"),
        QStringLiteral("20 Tower   "),        QStringLiteral("21 Cable Car"),
        QStringLiteral("22 Church"),          QStringLiteral("23 Pole"),
        QStringLiteral("24 Skier"),           QStringLiteral("25 Anchor"),
        QStringLiteral("26 Fish 1"),          QStringLiteral("27 Fish 3"),
        QStringLiteral("28 Lakeside"),        QStringLiteral("29 Fisherman"),
        QStringLiteral("30 Hydrant"),         QStringLiteral("31 Lake"),
        QStringLiteral("32 Sail Boat"),       QStringLiteral("33 Bicycle"),
        QStringLiteral("34 Railway track"),   QStringLiteral("35 Bank"),
        QStringLiteral("36 Train "),          QStringLiteral("37 Camera"),
        QStringLiteral("38 Petrol Pump "),    QStringLiteral("39 Restaurant(Cafe)"),
        QStringLiteral("40 Road Merge Sign"), QStringLiteral("41 Airport"),
        QStringLiteral("42 Hospital"),        QStringLiteral("43 House(Hut)"),
        QStringLiteral("44 Parking"),
    };
}

void DrawSheetIcon(QPainter& painter, const QImage& sheet, int n, const QRect& dest) {
    const int number = n & 0xFF;
    // Cells from 45 on lie at or below the sheet's bottom edge, where it is white anyway.
    if (number >= IconCount) {
        painter.fillRect(dest, Qt::white);
        return;
    }
    // Every design pixel is a 2 x 2 block, so an unsmoothed half-size copy gives the
    // design exactly; smoothing would grey its edges. The painter is left as it was found.
    const bool smooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(dest, sheet, IconSheet::IconCell(number));
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}

int IconEntryForText(const QString& typed) {
    const QString wanted = typed.trimmed();
    if (wanted.isEmpty())
        return -1;
    bool isNumber = false;
    const int number = wanted.toInt(&isNumber);
    if (isNumber)
        return number >= 0 && number < IconCount ? number : -1;
    const QStringList entries = IconListEntries();
    for (int k = 0; k < entries.size(); ++k) {
        const QString entry = entries.at(k);
        // The name is what follows the number and its blanks: "39 Restaurant(Cafe)".
        const QString name = entry.section(QLatin1Char(' '), 1).trimmed();
        if (entry.startsWith(wanted, Qt::CaseInsensitive) ||
            name.startsWith(wanted, Qt::CaseInsensitive))
            return k;
    }
    return -1;
}

void DrawTableIcon(QPainter& painter, const QImage& sheet, const QRect& cellRect, int iconNumber) {
    // At the cell's right end, so a number of any width at its left stays clear of it.
    const QRect square(cellRect.right() - TableIconInset - 11,
                       cellRect.top() + (cellRect.height() - 12) / 2, 12, 12);
    DrawSheetIcon(painter, sheet, iconNumber, square);
}
