// SPDX-License-Identifier: GPL-3.0-or-later
// Where a route file may be saved. A save replaces a regular file whole (through a
// temporary file renamed into place); a directory, a fifo, a device node or a link that
// leads to none of those would be replaced by a regular file instead, so they are refused.
#pragma once

#include <QString>

// The empty text when `path` names no existing file, a regular file, or a symbolic link to
// one; otherwise a sentence that says what the path is, for the details of the write error.
QString CheckSaveTarget(const QString& path);

// The reason a failed write gives, in words a user can act on. A full device is named as
// such: the file layer's own text for it is not always set.
QString DescribeWriteError(const QString& fileError, int systemError);
