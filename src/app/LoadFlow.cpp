// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/LoadFlow.h"

#include "app/ApplicationTitle.h"
#include "app/Dialogs.h"
#include "app/ErrorReportingApplication.h"
#include "files/RouteImport.h"
#include "route/DeviceRules.h"

#include <QApplication>
#include <QFileInfo>
#include <QProgressDialog>

namespace {
// The progress dialog comes up only for work that takes longer than this.
constexpr int ProgressDelayMs = 1000;
} // namespace

LoadFlow::LoadFlow(QWidget* window, Dialogs* dialogs) : m_window(window), m_dialogs(dialogs) {}

LoadFlow::~LoadFlow() {
    m_loader.reset();
    stopWorking();
}

// The load runs in steps so the window keeps painting while the converter works: the
// file's routes are listed, the user chooses one (and whether a long one is fitted), the
// route is taken over. Until then the route loaded before stays as it is.
void LoadFlow::start(const QString& path) {
    if (m_loading)
        return;
    m_loader = std::make_unique<RouteLoader>(m_converter);
    connect(m_loader.get(), &RouteLoader::stepFinished, this, &LoadFlow::onLoaderStep);
    m_loading = true;
    startWorking(QStringLiteral("Loading %1 ...").arg(QFileInfo(path).fileName()));
    m_loader->open(path);
}

void LoadFlow::onLoaderStep() {
    if (!m_loading)
        return;
    // Every question and message comes up with the normal pointer and no progress dialog.
    stopWorking();
    const RouteLoader::Stage stage = m_loader->stage();
    if (stage == RouteLoader::Stage::Listed) {
        bool goesOn = false;
        RunReported(*m_dialogs, [this, &goesOn] { goesOn = chooseListedRoute(); });
        if (goesOn)
            return;
    }
    if (stage == RouteLoader::Stage::Ready) {
        const QString fitReport = m_loader->fitReport();
        emit routeReady();
        // Said once the fitted route is on show, so the user sees what the numbers are about.
        if (!fitReport.isEmpty())
            RunReported(*m_dialogs, [&] { m_dialogs->message(fitReport + QLatin1Char('.')); });
    } else if (stage == RouteLoader::Stage::Failed) {
        RunReported(*m_dialogs, [this] {
            const Refusal& refusal = m_loader->outcome().refusal;
            QString details = refusal.explanation();
            if (!refusal.details.isEmpty())
                details += (details.isEmpty() ? QString() : QStringLiteral("\n")) + refusal.details;
            m_dialogs->message(refusal.headline, details);
        });
    }
    finish();
}

// Asks which of several routes to take and whether to fit one too long for the device;
// false when the user cancels the choice.
bool LoadFlow::chooseListedRoute() {
    const QList<RouteListEntry>& routes = m_loader->routes();
    int number = 1;
    if (routes.size() > 1) {
        number = m_dialogs->chooseRoute(routes);
        if (number == 0)
            return false;
    }
    int points = 0;
    for (const RouteListEntry& entry : routes)
        if (entry.number == number)
            points = entry.points;
    const bool fit = points > MaxRouteWaypoints && m_dialogs->askYesNo(FitQuestion(points));
    if (fit)
        startWorking(QStringLiteral("Reducing the route to %1 points ...").arg(MaxRouteWaypoints));
    m_loader->choose(number, fit);
    return true;
}

void LoadFlow::startWorking(const QString& label) {
    if (!m_progress)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    delete m_progress;
    // A busy bar with Cancel, shown only when the work takes longer than a moment; modal to
    // the window alone, which keeps painting behind it.
    m_progress = new QProgressDialog(label, QStringLiteral("Cancel"), 0, 0, m_window);
    m_progress->setWindowTitle(ApplicationTitle(QCoreApplication::applicationFilePath()));
    m_progress->setWindowModality(Qt::WindowModal);
    m_progress->setMinimumDuration(ProgressDelayMs);
    m_progress->setValue(0); // starts the delay
    connect(m_progress, &QProgressDialog::canceled, this, [this] {
        if (m_loader)
            m_loader->cancel();
    });
}

void LoadFlow::stopWorking() {
    if (!m_progress)
        return;
    QApplication::restoreOverrideCursor();
    // Deleted later: this may run while the dialog is still delivering its own signal.
    m_progress->disconnect(this);
    m_progress->hide();
    m_progress->deleteLater();
    m_progress = nullptr;
}

void LoadFlow::abandon() {
    if (!m_loading)
        return;
    // Destroying the loader ends its converter and removes the converter's folder at once.
    m_loader.reset();
    stopWorking();
    finish();
}

void LoadFlow::finish() {
    m_loading = false;
    emit finished();
}
