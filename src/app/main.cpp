// SPDX-License-Identifier: GPL-3.0-or-later
// rv58route: the window, with every error that escapes start-up or a handler reported.
#include "app/ApplicationTitle.h"
#include "app/ErrorReportingApplication.h"
#include "app/QtDialogs.h"
#include "app/StopRequests.h"
#include "app/TForm1.h"

#include <QApplication>

#include <cstdlib>

int main(int argc, char** argv) {
    ErrorReportingApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(RV58_VERSION));
    QtDialogs dialogs(ApplicationTitle(QCoreApplication::applicationFilePath()));
    app.setDialogs(&dialogs);
    int status = 0;
    try {
        TForm1 form;
        form.setDialogs(&dialogs);
        // A stop request that comes while a question or message is up ends the program at
        // once: the window has closed, and no step of the load may go on after its answer.
        const StopRequests stop(form, [](int requested) {
            if (QApplication::activeModalWidget())
                std::_Exit(requested);
            QCoreApplication::exit(requested);
        });
        form.show();
        app.exec();
        status = stop.status();
    } catch (...) {
        app.reportCurrentException();
    }
    // Closing the window, and an error at start-up once reported, both end the run normally;
    // a stop request ends it with the status a shell expects for it.
    return status;
}
