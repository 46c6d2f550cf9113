// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ApplicationTitle.h"

QString ApplicationTitle(const QString& programPath) {
    const int slash = int(qMax(programPath.lastIndexOf(QLatin1Char('/')),
                               programPath.lastIndexOf(QLatin1Char('\\'))));
    QString name = programPath.mid(slash + 1);
    const int dot = int(name.indexOf(QLatin1Char('.')));
    if (dot >= 0)
        name.truncate(dot);
    if (name.isEmpty())
        return name;
    return name.left(1).toUpper() + name.mid(1).toLower();
}
