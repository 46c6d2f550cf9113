// SPDX-License-Identifier: GPL-3.0-or-later
// The two commands of rv58route-cli, "show" and "convert", over the route library. Each
// writes what a person or a script reads to `out`, messages to `err`, and returns the
// exit status: 0 done, 1 a message of the window's, 2 a usage error.
#pragma once

#include <QStringList>
#include <QTextStream>

int RunCli(const QStringList& arguments, QTextStream& out, QTextStream& err);
