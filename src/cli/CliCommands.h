// SPDX-License-Identifier: GPL-3.0-or-later
// The two commands of rv58route-cli, "show" and "convert", over the route library. Each
// writes what a person or a script reads to `out`, messages to `err`, and returns the
// exit status: 0 done, 1 a message of the window's or a failed write, 2 a usage error.
#pragma once

#include <QByteArray>
#include <QList>
#include <QTextStream>

// `arguments` are the program's arguments after its name, as the bytes given. `out` writes
// to a device that reports a failed write, which the commands then report in turn.
int RunCli(const QList<QByteArray>& arguments, QTextStream& out, QTextStream& err);
