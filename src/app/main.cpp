// SPDX-License-Identifier: GPL-3.0-or-later
// rv58route: the window, with every error that escapes start-up or a handler reported.
#include "app/ApplicationTitle.h"
#include "app/ErrorReportingApplication.h"
#include "app/QtDialogs.h"
#include "app/TForm1.h"

int main(int argc, char** argv) {
    ErrorReportingApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(RV58_VERSION));
    QtDialogs dialogs(ApplicationTitle(QCoreApplication::applicationFilePath()));
    app.setDialogs(&dialogs);
    try {
        TForm1 form;
        form.setDialogs(&dialogs);
        form.show();
        app.exec();
    } catch (...) {
        app.reportCurrentException();
    }
    // Closing the window, and an error at start-up once reported, both end the run normally.
    return 0;
}
