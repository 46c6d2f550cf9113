// SPDX-License-Identifier: GPL-3.0-or-later
// The top-level error report: an error that escapes any handler is shown to the user and
// the handler is abandoned where it stood; the window goes on running.
#pragma once

#include <QApplication>

class Dialogs;

// The error's text as reported: a full stop is added when the last character sorts after
// "." ("Not a number" gets one, "Failed." and "Stop!" stay as they are).
QString ErrorReportText(const QString& text);

// The text of the exception being handled; call only inside a catch block.
QString CurrentErrorText();

// Reports the exception being handled through `dialogs`; call only inside a catch block.
void ReportCurrentError(Dialogs& dialogs);

// Runs a handler; an error that escapes it is reported through `dialogs` and the handler
// abandoned, before the error could unwind through Qt's own code.
template <class Handler> void RunReported(Dialogs& dialogs, Handler&& handler) {
    try {
        handler();
    } catch (...) {
        ReportCurrentError(dialogs);
    }
}

class ErrorReportingApplication : public QApplication {
    Q_OBJECT
public:
    ErrorReportingApplication(int& argc, char** argv);

    // Where reports go; without dialogs they are written to the standard error output.
    void setDialogs(Dialogs* dialogs) { m_dialogs = dialogs; }

    // Shows `text` (with the full-stop rule) as an error report.
    void reportError(const QString& text);
    // Reports the exception being handled; call only inside a catch block.
    void reportCurrentException();

    bool notify(QObject* receiver, QEvent* event) override;

private:
    Dialogs* m_dialogs = nullptr;
};
