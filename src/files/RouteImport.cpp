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
// one the reader refuses gives the format error, with the reader's reason as details.
ImportOutcome loadRouteFile(const QString& rtePath, const char* unreadable, RouteTable& table,
                            QString& routeName, RouteState& state) {
    QByteArray bytes;
    qint32 count = 0;
    switch (ReadWholeFile(rtePath, bytes, count)) {
    case ReadWholeFileResult::CannotOpen:
        return failure(unreadable, QStringLiteral("%1 cannot be opened.").arg(rtePath));
    case ReadWholeFileResult::ReadFault:
        return failure(unreadable, QStringLiteral("%1 cannot be read.").arg(rtePath));
    case ReadWholeFileResult::Empty:
        return failure(FormatErrorText, QStringLiteral("The file is empty."));
    case ReadWholeFileResult::Ok:
        break;
    }
    ParsedRoute route;
    QString reason;
    if (!ParseRouteFile(bytes, route, &reason))
        return failure(FormatErrorText, reason);
    TakeOverRoute(std::move(route), quint32(count), table, routeName, state);
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
        if (!QFileInfo(path).isFile())
            return failure(RteErrorText, QStringLiteral("%1 does not exist.").arg(path));
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
