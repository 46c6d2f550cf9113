#include "files/GpsBabelConverter.h"

#include <QFileInfo>
#include <QProcess>

QString GpsBabelConverter::defaultProgram() {
#ifdef Q_OS_WIN
    return QStringLiteral("gpsbabel.exe");
#else
    return QStringLiteral("gpsbabel");
#endif
}

QStringList GpsBabelConverter::arguments(const QString& gpxPath, const QString& rtePath) {
    // Routes (-r) from GPX into the OziExplorer format. The paths are passed as they are,
    // one argument each, so no character in them can change the command.
    return {QStringLiteral("-r"),
            QStringLiteral("-i"),
            QStringLiteral("gpx"),
            QStringLiteral("-f"),
            gpxPath,
            QStringLiteral("-o"),
            QStringLiteral("ozi"),
            QStringLiteral("-F"),
            rtePath};
}

QStringList GpsBabelConverter::trackArguments(const QString& gpxPath, const QString& rtePath) {
    // The GPX reader takes in everything, so routes and waypoints are dropped first: the
    // file then holds the tracks alone, numbered from 1, and no side file is written.
    return {QStringLiteral("-t"),
            QStringLiteral("-i"),
            QStringLiteral("gpx"),
            QStringLiteral("-f"),
            gpxPath,
            QStringLiteral("-x"),
            QStringLiteral("nuketypes,waypoints,routes"),
            QStringLiteral("-x"),
            QStringLiteral("transform,rte=trk,del"),
            QStringLiteral("-o"),
            QStringLiteral("ozi"),
            QStringLiteral("-F"),
            rtePath};
}

QStringList GpsBabelConverter::fitArguments(const QString& inPath, const QString& outPath,
                                            int pointCount) {
    return {QStringLiteral("-r"),
            QStringLiteral("-i"),
            QStringLiteral("ozi"),
            QStringLiteral("-f"),
            inPath,
            QStringLiteral("-x"),
            QStringLiteral("simplify,count=%1").arg(pointCount),
            QStringLiteral("-o"),
            QStringLiteral("ozi"),
            QStringLiteral("-F"),
            outPath};
}

bool GpsBabelConverter::convert(const QString& gpxPath, const QString& rtePath) {
    m_exitCode = -1;
    m_errorOutput.clear();
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(m_program, arguments(gpxPath, rtePath));
    if (!process.waitForStarted(m_timeoutMs)) {
        m_errorOutput =
            QStringLiteral("%1 could not be started: %2").arg(m_program, process.errorString());
        return false;
    }
    process.closeWriteChannel();
    if (!process.waitForFinished(m_timeoutMs)) {
        process.kill();
        process.waitForFinished();
        m_errorOutput = QStringLiteral("%1 did not finish within %2 seconds.")
                            .arg(m_program)
                            .arg(m_timeoutMs / 1000);
        return false;
    }
    m_errorOutput = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    if (process.exitStatus() != QProcess::NormalExit) {
        if (m_errorOutput.isEmpty())
            m_errorOutput = QStringLiteral("%1 stopped abnormally.").arg(m_program);
        return false;
    }
    m_exitCode = process.exitCode();
    if (m_exitCode != 0) {
        if (m_errorOutput.isEmpty())
            m_errorOutput =
                QStringLiteral("%1 ended with status %2.").arg(m_program).arg(m_exitCode);
        return false;
    }
    if (!QFileInfo::exists(rtePath)) {
        if (m_errorOutput.isEmpty())
            m_errorOutput = QStringLiteral("The GPX file holds no route.");
        return false;
    }
    return true;
}
