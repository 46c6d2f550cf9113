// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/SaveTarget.h"

#include "route/Messages.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

QString CheckSaveTarget(const QString& path) {
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (info.isSymLink() && !info.exists())
        return QStringLiteral("%1 is a symbolic link that leads to no file.").arg(shown);
    if (!info.exists())
        return QString();
    if (info.isDir())
        return Reason::IsDirectory(shown);
    if (!info.isFile())
        return Reason::NotRegularFile(shown);
    return QString();
}

QString DescribeWriteError(const QString& fileError, int systemError) {
    if (systemError == ENOSPC)
        return QStringLiteral("No space left on the device.");
    if (systemError == EACCES || systemError == EPERM)
        return QStringLiteral("Permission denied.");
    return fileError;
}
