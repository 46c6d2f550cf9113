// SPDX-License-Identifier: GPL-3.0-or-later
// rv58route-cli's start: the arguments as the bytes given, and standard output as a device
// that reports every write that fails. The program's one place for POSIX calls.
#include "cli/CliCommands.h"
#include "files/SaveTarget.h"

#include <QCoreApplication>
#include <QIODevice>

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace {

// Standard output, written to directly: each write goes on over short writes and
// interrupted calls until all of it is out, and a full device or a closed pipe is reported
// at the write that met it instead of being lost in a buffer flushed at exit.
class StandardOutput : public QIODevice {
public:
    StandardOutput() { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }

protected:
    qint64 readData(char*, qint64) override { return -1; }

    qint64 writeData(const char* data, qint64 size) override {
        qint64 done = 0;
        while (done < size) {
            const ssize_t written = ::write(STDOUT_FILENO, data + done, size_t(size - done));
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0) {
                const int error = written < 0 ? errno : EIO;
                setErrorString(DescribeWriteError(qt_error_string(error), error));
                return -1;
            }
            done += written;
        }
        return done;
    }
};

} // namespace

int main(int argc, char* argv[]) {
    // The arguments exactly as given, before Qt reads them: a file name that is not UTF-8
    // would come back from QCoreApplication::arguments() as the name of another file.
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("rv58route-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(RV58_VERSION));
    StandardOutput standardOutput;
    QTextStream out(&standardOutput);
    QTextStream err(stderr);
    const int status = RunCli(arguments, out, err);
    err.flush();
    return status;
}
