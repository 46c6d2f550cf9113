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

void ErrorReportingApplication::reportCurrentException() {
    try {
        throw;
    } catch (const RouteError& error) {
        reportError(error.text());
    } catch (const std::exception& error) {
        reportError(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        reportError(QStringLiteral("Unexpected error"));
    }
}

bool ErrorReportingApplication::notify(QObject* receiver, QEvent* event) {
    // Every handler of the window runs inside some event delivered here, so this is the
    // one place where an escaping error can be caught before it ends the program.
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportCurrentException();
    }
    return false;
}
