#include "files/RouteImport.h"

#include "files/RouteFileReader.h"

#include <QFileInfo>
#include <QTemporaryDir>

namespace {

const char* const FormatErrorText = "Route File Format Error!";
const char* const ConversionErrorText = "GPX-RTE conversion failed, rte file not found.";
const char* const RteErrorText = "RTE file error.";

ImportOutcome failure(const char* message, const QString& details = QString()) {
    ImportOutcome outcome;
    outcome.message = QString::fromLatin1(message);
    outcome.details = details;
    return outcome;
}

// Reads a route file that exists. One that cannot be opened or read gives `unreadable`;
// one the reader refuses gives the format error; either way with the reader's reason.
ImportOutcome loadRouteFile(const QString& rtePath, const char* unreadable, RouteTable& table,
                            QString& routeName, RouteState& state) {
    QString reason;
    ReadWholeFileResult read = ReadWholeFileResult::Ok;
    if (!ReadRouteFile(rtePath, table, routeName, state, &reason, &read)) {
        const bool notRead =
            read == ReadWholeFileResult::CannotOpen || read == ReadWholeFileResult::ReadFault;
        return failure(notRead ? unreadable : FormatErrorText, reason);
    }
    ImportOutcome outcome;
    outcome.ok = true;
    return outcome;
}

} // namespace

RouteFileType FileTypeOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("gpx"))
        return RouteFileType::Gpx;
    if (suffix == QLatin1String("rte"))
        return RouteFileType::Rte;
    return RouteFileType::Unknown;
}

ImportOutcome ImportRoute(const QString& path, RouteTable& table, QString& routeName,
                          RouteState& state, const GpsBabelConverter& converter) {
    switch (FileTypeOf(path)) {
    case RouteFileType::Unknown:
        return failure("Unknow file type error.");
    case RouteFileType::Rte: {
        const QString unreadable = CheckReadableFile(path);
        if (!unreadable.isEmpty())
            return failure(RteErrorText, unreadable);
        return loadRouteFile(path, RteErrorText, table, routeName, state);
    }
    case RouteFileType::Gpx:
        break;
    }

    // The converter writes into a folder of this import's own, removed with everything
    // in it (side files included) when the import ends: no file of an earlier import is
    // ever taken for this one's result, and no file of the user's is touched.
    QTemporaryDir work;
    if (!work.isValid())
        return failure(ConversionErrorText, work.errorString());
    const QString output = work.filePath(QStringLiteral("Default_temp.rte"));
    GpsBabelConverter run = converter;
    if (!run.convert(path, output))
        return failure(ConversionErrorText, run.errorOutput());
    return loadRouteFile(output, ConversionErrorText, table, routeName, state);
}
