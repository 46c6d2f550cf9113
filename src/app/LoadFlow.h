// SPDX-License-Identifier: GPL-3.0-or-later
// Load Route as the user goes through it: the file's routes are listed and one is chosen, a
// route longer than the device holds is fitted when the user agrees, and a load that stops
// says why. The converter works in the background meanwhile, with the busy pointer and a
// progress dialog whose Cancel ends it. The window only starts a load and takes the route.
#pragma once

#include "files/GpsBabelConverter.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

class Dialogs;
class QProgressDialog;
class QWidget;
class RouteLoader;

class LoadFlow : public QObject {
    Q_OBJECT
public:
    // `window` holds the progress dialog; `dialogs` asks and tells the user (not owned).
    LoadFlow(QWidget* window, Dialogs* dialogs);
    // Ends a converter still running, without finished().
    ~LoadFlow() override;

    void setDialogs(Dialogs* dialogs) { m_dialogs = dialogs; }
    // The converter program for GPX files, from the next load on.
    void setConverter(const GpsBabelConverter& converter) { m_converter = converter; }
    // True from start() until finished().
    bool isLoading() const { return m_loading; }

    // Loads the file at `path`; does nothing while a load is under way.
    void start(const QString& path);
    // Ends the load under way at once: the converter ends and its folder goes.
    void abandon();

    // While routeReady() is handled: the chosen route, to be taken over, and the file's list.
    RouteLoader& loader() { return *m_loader; }

signals:
    // The chosen route is ready to be taken over.
    void routeReady();
    // The load has ended: its route was taken, it was refused, or it was cancelled.
    void finished();

private:
    void onLoaderStep();
    bool chooseListedRoute();
    void startWorking(const QString& label);
    void stopWorking();
    void finish();

    QWidget* m_window;
    Dialogs* m_dialogs;
    GpsBabelConverter m_converter;
    // Made afresh for each load, with the converter set then.
    std::unique_ptr<RouteLoader> m_loader;
    bool m_loading = false;
    // While the converter works, the busy pointer is on and the progress dialog waits to
    // show (or shows). The dialog is the window's child, made at the first work.
    bool m_working = false;
    QProgressDialog* m_progress = nullptr;
    QTimer m_showProgress;
};
