// SPDX-License-Identifier: GPL-3.0-or-later
// Routes and window helpers shared by the benchmark program and the start-up probe: route
// files of any length made up on the spot, a dialog layer that only records, and a wait
// for a widget's next paint.
#pragma once

#include "app/Dialogs.h"
#include "route/Messages.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class QWidget;

// A GPX file with one route of `points` route points, as a user's planning program would
// write it: a zig-zag walk north-east from 48 N 11 E, about 150 m between points.
QByteArray MakeGpxRoute(int points);

// The route file the converter makes of MakeGpxRoute(points), with the icons cycling
// through all 45, so the overview draws every kind of icon.
QByteArray MakeRteRoute(int points);

// Writes a GPX file of one recorded track of `points` points to `path`, as a logger would:
// a point a second, wandering north-east from 47 N 8 E. False when that fails.
bool WriteGpxTrack(const QString& path, int points);

// Writes `bytes` to `path`; false when that fails.
bool WriteBytes(const QString& path, const QByteArray& bytes);

// Answers every question with "cancel" and keeps every message, so a run can tell that an
// import failed instead of timing an error path.
class RecordingDialogs : public Dialogs {
public:
    QString getOpenFileName(const QString&) override { return {}; }
    QString getSaveFileName(const QString&, const QString&) override { return {}; }
    void useFolderOf(const QString&) override {}
    void message(const QString& text) override { messages << text; }
    void refusal(const Refusal& refusal) override {
        messages << refusal.headline + QStringLiteral(": ") + refusal.explanation();
    }
    void errorReport(const QString& text) override { messages << text; }
    bool confirm(const QString& text, const QString&) override {
        messages << text;
        return false;
    }
    bool askYesNo(const QString& text) override {
        messages << text;
        return false;
    }
    int chooseRoute(const QList<RouteListEntry>&) override { return 0; }

    QStringList messages;
};

// Runs the event loop until `widget` or any widget inside it has been painted and that
// paint pass is over, at most timeoutMs. True when a paint came.
bool WaitForPaint(QWidget* widget, int timeoutMs);
