// SPDX-License-Identifier: GPL-3.0-or-later
// One GPSBabel run at a time, without blocking the caller: the converter runs as a child
// process in a private folder, bounded by the converter's timeout, fed its standard input
// from memory when asked, and can be ended at any moment. The job hands back the folder
// with what the converter wrote there, and why a run failed; what the files mean is for
// others (ConverterOutput). The folder stays from the first run until it is discarded, so
// a later run can read what an earlier one wrote.
#pragma once

#include "files/GpsBabelConverter.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>

class QTemporaryDir;

class ConverterJob : public QObject {
    Q_OBJECT
public:
    enum class Status { Idle, Running, Ok, Cancelled, Failed };
    // The last part of the converter's error output is kept, the part that says why.
    static constexpr qsizetype MaxErrorOutputBytes = 64 * 1024;
    // A folder of ours whose process is gone is removed by the next job once it is this old.
    static constexpr int StaleFolderSeconds = 60;

    explicit ConverterJob(const GpsBabelConverter& converter = {}, QObject* parent = nullptr);
    // Ends a running converter and removes the folder, without finished().
    ~ConverterJob() override;

    // Runs the converter with `arguments`, in the folder. `input`, when given, is written to
    // its standard input piece by piece; the bytes must stay unchanged until finished().
    // Does nothing while a run is under way.
    void start(const QStringList& arguments, const QList<QByteArrayView>& input = {});
    // Ends the converter, removes the folder and finishes as Cancelled. Does nothing unless
    // a run is under way.
    void cancel();
    // Removes the folder and what is in it; not while a run is under way.
    void discardFolder();
    // Runs an event loop until the run has finished; true when it ended Ok.
    bool waitForFinished();

    // The converter's working folder, made by the first start; empty before and after.
    QString folder() const;
    QString filePath(const QString& name) const;

    Status status() const { return m_status; }
    // Why the run failed, in a sentence; and the end of the converter's error output, where
    // it printed any, with its last line apart.
    QString reason() const { return m_reason; }
    QString errorOutput() const { return m_errorText; }
    QString lastErrorLine() const;
    // True when the run failed because the converter could not be started at all; and when
    // it ran to its end but reported an error (a status other than 0).
    bool converterMissing() const { return m_converterMissing; }
    bool endedWithError() const { return m_endedWithError; }
    QString program() const { return m_converter.program(); }

signals:
    // Emitted once per start, when the run has ended in whichever way.
    void finished();

private:
    bool makeFolder();
    void run();
    void feedInput();
    void collectErrorOutput();
    void onProcessFinished(int exitCode, QProcess::ExitStatus exitStatus);
    void onProcessError(QProcess::ProcessError error);
    void onTimeout();
    void fail(const QString& reason);
    void end(Status status);
    void stopProcess();

    GpsBabelConverter m_converter;
    QProcess m_process;
    QTimer m_timer;
    std::unique_ptr<QTemporaryDir> m_dir;
    QStringList m_arguments;
    QList<QByteArrayView> m_input;
    qsizetype m_inputPiece = 0;
    qsizetype m_inputOffset = 0;
    QByteArray m_errorOutput;
    bool m_timedOut = false;

    Status m_status = Status::Idle;
    QString m_reason;
    QString m_errorText;
    bool m_converterMissing = false;
    bool m_endedWithError = false;
};
