// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliCommands.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("rv58route-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral("0.5"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int status = RunCli(QCoreApplication::arguments().mid(1), out, err);
    out.flush();
    err.flush();
    return status;
}
