// The import behind Load Route: a GPX file through the converter, an .rte file directly,
// then the reader. A refused or failed import changes nothing that was loaded before.
#pragma once

#include "files/GpsBabelConverter.h"

#include <QString>

class RouteTable;
struct RouteState;

enum class RouteFileType { Unknown, Gpx, Rte };

// The type from the chosen file's extension (the text after its last dot, any case).
RouteFileType FileTypeOf(const QString& path);

struct ImportOutcome {
    bool ok = false;
    // For a failure: the message box text, and details a user can act on (may be empty).
    QString message;
    QString details;
};

ImportOutcome ImportRoute(const QString& path, RouteTable& table, QString& routeName,
                          RouteState& state, const GpsBabelConverter& converter = {});
