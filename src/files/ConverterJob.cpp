// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ConverterJob.h"

#include "files/Platform.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QSignalBlocker>
#include <QTemporaryDir>

namespace {

// How long a cancelled converter is given to be reaped after it was killed.
const int ReapMs = 5000;
// How much of the standard input waits in the pipe's buffer at a time: the converter reads
// large inputs from memory without a second copy of them on this side.
const qsizetype InputChunkBytes = 1 << 20;

// Our folders are named after the process that made them, so that the next run can tell a
// folder that a killed run left behind from one that a running program still uses.
const char FolderPrefix[] = "rv58route-";

QString folderTemplate() {
    return QDir::tempPath() + QLatin1Char('/') + QLatin1String(FolderPrefix) +
           QString::number(QCoreApplication::applicationPid()) + QStringLiteral("-XXXXXX");
}

// Removes the folders of ours whose process is gone, once they are old enough that no
// process still starting up can be behind them.
void removeStaleFolders() {
    const QDir temp(QDir::tempPath());
    const QDateTime old =
        QDateTime::currentDateTimeUtc().addSecs(-ConverterJob::StaleFolderSeconds);
    const QStringList pattern{QLatin1String(FolderPrefix) + QLatin1Char('*')};
    for (const QFileInfo& entry : temp.entryInfoList(pattern, QDir::Dirs | QDir::NoSymLinks)) {
        const QString rest = entry.fileName().mid(int(qstrlen(FolderPrefix)));
        bool isNumber = false;
        const qint64 pid = rest.left(rest.indexOf(QLatin1Char('-'))).toLongLong(&isNumber);
        if (!isNumber || pid == QCoreApplication::applicationPid() || ProcessExists(pid) ||
            entry.lastModified().toUTC() > old)
            continue;
        QDir(entry.filePath()).removeRecursively();
    }
}

} // namespace

ConverterJob::ConverterJob(const GpsBabelConverter& converter, QObject* parent)
    : QObject(parent), m_converter(converter) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ConverterJob::onTimeout);
    connect(&m_process, &QProcess::started, this, &ConverterJob::feedInput);
    connect(&m_process, &QProcess::bytesWritten, this, &ConverterJob::feedInput);
    connect(&m_process, &QProcess::readyReadStandardError, this, &ConverterJob::collectErrorOutput);
    connect(&m_process, &QProcess::finished, this, &ConverterJob::onProcessFinished);
    connect(&m_process, &QProcess::errorOccurred, this, &ConverterJob::onProcessError);
    EndWithThisProgram(m_process);
}

ConverterJob::~ConverterJob() {
    stopProcess();
    m_dir.reset();
}

QString ConverterJob::folder() const {
    return m_dir && m_dir->isValid() ? m_dir->path() : QString();
}

QString ConverterJob::filePath(const QString& name) const {
    return m_dir ? m_dir->filePath(name) : QString();
}

QString ConverterJob::lastErrorLine() const {
    const QStringList lines = m_errorText.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines.isEmpty() ? QString() : lines.constLast().trimmed();
}

void ConverterJob::start(const QStringList& arguments, const QList<QByteArrayView>& input) {
    if (m_status == Status::Running)
        return;
    m_status = Status::Running;
    m_reason.clear();
    m_errorText.clear();
    m_converterMissing = false;
    m_endedWithError = false;
    m_arguments = arguments;
    m_input = input;
    // The work starts from the event loop, so finished() never comes before the caller
    // has returned from starting it.
    QMetaObject::invokeMethod(this, &ConverterJob::run, Qt::QueuedConnection);
}

bool ConverterJob::makeFolder() {
    if (m_dir && m_dir->isValid())
        return true;
    removeStaleFolders();
    m_dir = std::make_unique<QTemporaryDir>(folderTemplate());
    if (m_dir->isValid())
        return true;
    fail(QStringLiteral("No temporary folder for the converter: %1").arg(m_dir->errorString()));
    m_dir.reset();
    return false;
}

void ConverterJob::run() {
    if (m_status != Status::Running || !makeFolder())
        return;
    m_errorOutput.clear();
    m_timedOut = false;
    m_inputPiece = 0;
    m_inputOffset = 0;
    m_process.setProgram(m_converter.program());
    m_process.setArguments(m_arguments);
    // Side files the converter writes beside its output stay in the private folder, and
    // what it prints on standard output is of no use, however much it is.
    m_process.setWorkingDirectory(m_dir->path());
    m_process.setStandardInputFile(m_input.isEmpty() ? QProcess::nullDevice() : QString());
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_timer.start(m_converter.timeoutMs());
    m_process.start(m_input.isEmpty() ? QIODevice::ReadOnly : QIODevice::ReadWrite);
}

void ConverterJob::feedInput() {
    if (m_input.isEmpty() || m_process.state() != QProcess::Running)
        return;
    while (m_inputPiece < m_input.size() && m_process.bytesToWrite() < InputChunkBytes) {
        const QByteArrayView piece = m_input.at(m_inputPiece);
        const qsizetype length = qMin(InputChunkBytes, piece.size() - m_inputOffset);
        m_process.write(piece.data() + m_inputOffset, length);
        m_inputOffset += length;
        if (m_inputOffset == piece.size()) {
            ++m_inputPiece;
            m_inputOffset = 0;
        }
    }
    if (m_inputPiece == m_input.size()) {
        // All of it is on its way: the converter sees the end of its input once it is read.
        m_input.clear();
        m_process.closeWriteChannel();
    }
}

void ConverterJob::collectErrorOutput() {
    m_errorOutput += m_process.readAllStandardError();
    // Cut only now and then, so a converter that prints a lot costs no copy per read.
    if (m_errorOutput.size() > 2 * MaxErrorOutputBytes)
        m_errorOutput.remove(0, m_errorOutput.size() - MaxErrorOutputBytes);
}

void ConverterJob::onTimeout() {
    m_timedOut = true;
    m_process.kill();
}

void ConverterJob::onProcessError(QProcess::ProcessError error) {
    if (m_status != Status::Running || error != QProcess::FailedToStart)
        return;
    m_timer.stop();
    m_converterMissing = true;
    fail(QStringLiteral("%1 could not be started: %2")
             .arg(m_converter.program(), m_process.errorString()));
}

void ConverterJob::onProcessFinished(int exitCode, QProcess::ExitStatus exitStatus) {
    if (m_status != Status::Running)
        return;
    m_timer.stop();
    m_input.clear();
    collectErrorOutput();
    const QString program = m_converter.program();
    if (m_timedOut)
        fail(QStringLiteral("%1 did not finish within %2 seconds.")
                 .arg(program, QString::number(m_converter.timeoutMs() / 1000.0)));
    else if (exitStatus != QProcess::NormalExit)
        fail(QStringLiteral("%1 stopped abnormally.").arg(program));
    else if (exitCode != 0) {
        m_endedWithError = true;
        fail(QStringLiteral("%1 ended with status %2.").arg(program).arg(exitCode));
    } else
        end(Status::Ok);
}

void ConverterJob::fail(const QString& reason) {
    m_errorText = QString::fromLocal8Bit(m_errorOutput.right(MaxErrorOutputBytes)).trimmed();
    m_reason = reason;
    end(Status::Failed);
}

void ConverterJob::cancel() {
    if (m_status != Status::Running)
        return;
    stopProcess();
    m_dir.reset();
    end(Status::Cancelled);
}

void ConverterJob::discardFolder() {
    if (m_status != Status::Running)
        m_dir.reset();
}

void ConverterJob::end(Status status) {
    m_timer.stop();
    m_input.clear();
    m_status = status;
    emit finished();
}

void ConverterJob::stopProcess() {
    m_timer.stop();
    if (m_process.state() == QProcess::NotRunning)
        return;
    // Its end is of no interest any more: no slot of this job may run for it.
    const QSignalBlocker blocker(m_process);
    m_process.kill();
    m_process.waitForFinished(ReapMs);
}

bool ConverterJob::waitForFinished() {
    if (m_status == Status::Running) {
        QEventLoop loop;
        connect(this, &ConverterJob::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return m_status == Status::Ok;
}
