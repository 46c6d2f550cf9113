#include "files/RouteImport.h"

#include "files/RouteFileReader.h"

#include <QFileInfo>
#include <QTemporaryDir>

namespace {

const char* const FormatErrorText = "Route File Format Error!";

ImportOutcome failure(const char* message, const QString& details = QString(),
                      bool refusedByReader = false) {
    ImportOutcome outcome;
    outcome.message = QString::fromLatin1(message);
    outcome.details = details;
    outcome.refusedByReader = refusedByReader;
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
        return failure(FormatErrorText, QStringLiteral("The file is empty."), true);
    case ReadWholeFileResult::Ok:
        break;
    }
    ParsedRoute route;
    QString reason;
    if (!ParseRouteFile(bytes, route, &reason))
        return failure(FormatErrorText, reason, true);
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
            return failure("RTE file error.", QStringLiteral("%1 does not exist.").arg(path));
        return loadRouteFile(path, "RTE file error.", table, routeName, state);
    }
    case RouteFileType::Gpx:
        break;
    }

    // The converter writes into a folder of this import's own, removed with everything
    // in it (side files included) when the import ends: no file of an earlier import is
    // ever taken for this one's result, and no file of the user's is touched.
    QTemporaryDir work;
    if (!work.isValid())
        return failure("GPX-RTE conversion failed, rte file not found.", work.errorString());
    const QString output = work.filePath(QStringLiteral("Default_temp.rte"));
    GpsBabelConverter run = converter;
    if (!run.convert(path, output))
        return failure("GPX-RTE conversion failed, rte file not found.", run.errorOutput());
    return loadRouteFile(output, "GPX-RTE conversion failed, rte file not found.", table, routeName,
                         state);
}
