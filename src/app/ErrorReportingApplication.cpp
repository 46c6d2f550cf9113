// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ErrorReportingApplication.h"

#include "app/Dialogs.h"
#include "route/CellNumber.h"

#include <cstdio>

QString ErrorReportText(const QString& text) {
    if (!text.isEmpty() && text.back() > QLatin1Char('.'))
        return text + QLatin1Char('.');
    return text;
}

ErrorReportingApplication::ErrorReportingApplication(int& argc, char** argv)
    : QApplication(argc, argv) {}

void ErrorReportingApplication::reportError(const QString& text) {
    const QString shown = ErrorReportText(text);
    if (m_dialogs)
        m_dialogs->errorReport(shown);
    else
        std::fprintf(stderr, "%s\n", shown.toLocal8Bit().constData());
}

QString CurrentErrorText() {
    try {
        throw;
    } catch (const RouteError& error) {
        return error.text();
    } catch (const std::exception& error) {
        return QString::fromLocal8Bit(error.what());
    } catch (...) {
        return QStringLiteral("Unexpected error");
    }
}

void ReportCurrentError(Dialogs& dialogs) {
    dialogs.errorReport(ErrorReportText(CurrentErrorText()));
}

void ErrorReportingApplication::reportCurrentException() {
    reportError(CurrentErrorText());
}

bool ErrorReportingApplication::notify(QObject* receiver, QEvent* event) {
    // The window's handlers report their own errors before these unwind through Qt's
    // event delivery; this catches whatever else escapes, so it never ends the program.
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportCurrentException();
    }
    return false;
}
