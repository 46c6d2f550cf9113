// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/LoadFlow.h"

#include "app/ApplicationTitle.h"
#include "app/Dialogs.h"
#include "app/ErrorReportingApplication.h"
#include "app/WindowRefusals.h"
#include "files/RouteImport.h"
#include "route/DeviceRules.h"

#include <QApplication>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTimer>

namespace {
// The progress dialog comes up only for work that takes longer than this.
constexpr int ProgressDelayMs = 1000;
} // namespace

LoadFlow::LoadFlow(QWidget* window, Dialogs* dialogs) : m_window(window), m_dialogs(dialogs) {
    m_showProgress.setSingleShot(true);
    m_showProgress.setInterval(ProgressDelayMs);
    connect(&m_showProgress, &QTimer::timeout, this, [this] {
        if (m_progress)
            m_progress->show();
    });
}

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
        RunReported(*m_dialogs,
                    [this] { m_dialogs->refusal(ForWindow(m_loader->outcome().refusal)); });
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
    if (m_working)
        return;
    m_working = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (!m_progress) {
        // A busy bar with Cancel, modal to the window alone, which keeps painting behind it.
        // One dialog serves every step; it shows only when its step takes longer than a
        // moment, from the flow's own timer.
        m_progress = new QProgressDialog(m_window);
        m_progress->setWindowTitle(ApplicationTitle(QCoreApplication::applicationFilePath()));
        m_progress->setWindowModality(Qt::WindowModal);
        m_progress->setRange(0, 0);
        m_progress->setCancelButtonText(QStringLiteral("Cancel"));
        connect(m_progress, &QProgressDialog::canceled, this, [this] {
            if (m_loader)
                m_loader->cancel();
        });
    }
    // reset() also stops the dialog's own timer, which would show it after a few seconds
    // whatever the flow is doing by then.
    m_progress->reset();
    m_progress->setLabelText(label);
    m_showProgress.start();
}

void LoadFlow::stopWorking() {
    if (!m_working)
        return;
    m_working = false;
    // Stopped the moment the work ends: nothing may come up over the question or message
    // that follows, nor take its keyboard.
    m_showProgress.stop();
    m_progress->reset();
    m_progress->hide();
    QApplication::restoreOverrideCursor();
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
