// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the application icon as PNG files for installation: make_icon DIR SIZE...
#include "app/ApplicationIcon.h"
#include "editing/IconSheet.h"

#include <QDir>

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(dir);
    const IconSheet sheet;
    for (int i = 2; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        const QString file = QStringLiteral("%1/rv58route-%2.png").arg(dir).arg(size);
        if (size <= 0 || !ApplicationIconImage(sheet, size).save(file))
            return 1;
    }
    return 0;
}
