// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: the controls of its form (TForm1.ui) and the wiring of every handler.
// The handlers are thin: they collect control texts, call the operations of the layers
// below and show what comes back through the dialog layer. Load Route's questions and
// progress are the load flow's (LoadFlow).
#pragma once

#include "editing/IconPicker.h"
#include "editing/IconSheet.h"
#include "files/GpsBabelConverter.h"
#include "geometry/RouteMeasurement.h"
#include "geometry/RouteOverview.h"
#include "route/RouteState.h"

#include <QImage>
#include <QList>
#include <QSet>
#include <QWidget>

#include <memory>
#include <utility>

class Dialogs;
class EditHistory;
class LoadFlow;
class RouteTable;
struct EditorFields;
class QButtonGroup;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QPainter;

namespace Ui {
class TForm1;
}

class TForm1 : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 578;
    static constexpr int ClientHeight = 664;

    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Replaces the dialog layer (the window keeps its own until then); not owned.
    void setDialogs(Dialogs* dialogs);
    // The converter program the import runs for GPX files, from the next load on.
    void setConverter(const GpsBabelConverter& converter);
    // True from the start of a load until it has ended in whichever way (loadFinished()).
    bool isLoading() const;

    RouteTable& routeTable() { return *m_table; }
    const RouteState& routeState() const { return m_state; }
    // The unit chosen in the Unit group.
    Unit unit() const { return m_unit; }

    template <class T> T* control(const QString& name) const { return findChild<T*>(name); }

signals:
    // Each measurement of the route, and each drawing of the overview.
    void routeMeasured();
    void overviewDrawn();
    // A load has ended: its route is on show, it was refused, or it was cancelled.
    void loadFinished();

public slots:
    void FormCreate();
    void Button_BrowseClick();
    void Button_GPX2RTEClick();
    void ComboBox_wpt_iconChange();
    void ComboBox_wpt_iconTextEdited(const QString& typed);
    void Image1MouseDown(int x, int y);
    void Button_update_wptClick();
    void StringGrid_DataSelectCell(int column, int row);
    void StringGrid_DataDblClick();
    void StringGrid_DataGetEditText();
    void Button_save_rteClick();
    void RadioGroup_unitClick();

    // Measures the route and draws the overview with the waypoint of `row` framed.
    void RefreshRoute(int row);
    // Shows a waypoint row in the editor and frames it in the overview, from the route as
    // last measured. False, changing nothing, when the row holds no waypoint.
    bool LoadWaypointIntoEditor(int row);

protected:
    // A .gpx or .rte file dropped from a file manager loads as if chosen with Load Route.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Closing the window during a load ends the converter and removes its folder.
    void closeEvent(QCloseEvent* event) override;

public:
    // Called for each table cell after its text is drawn (column, table row).
    void StringGrid_DataDrawCell(int column, int row, const QRect& rect, QPainter& painter);

private:
    void setUpControls();
    void setUpTable();
    void wireHandlers();
    // Runs a handler; an error that escapes it is reported and the handler abandoned.
    template <class Handler> void guarded(Handler&& handler);
    void showRowAsCurrent(int row);
    void measureRoute();
    void drawOverview(int row);
    void showLoadedRoute();
    void endLoad();
    bool confirmReplacing(const QString& path);
    void showUndoneOrRedone(int row, const EditorFields& fields);

    std::unique_ptr<Ui::TForm1> ui;

    // Owned state of the window.
    RouteTable* m_table = nullptr;
    RouteState m_state;
    RouteMeasurement m_measurement;
    RouteOverview m_overview;
    const IconSheet m_sheet;
    IconPicker m_picker{m_sheet};
    std::unique_ptr<Dialogs> m_ownDialogs;
    Dialogs* m_dialogs = nullptr;
    QButtonGroup* m_unitButtons = nullptr;
    // The edits since the route was loaded, with Undo and Redo.
    EditHistory* m_history = nullptr;
    Unit m_unit = Unit::Mile;
    QImage m_routeImage;
    // The projected points of the last measurement, which the overview is drawn from; as
    // many as the route has waypoints.
    QVector<ProjectedPoint> m_measuredPoints;
    // The file of the route that is loaded, empty before the first load; and the one whose
    // load is under way.
    QString m_loadedFile;
    QString m_loadingFile;
    // The button that had the focus when the load began, which takes it back at the end.
    QWidget* m_focusBeforeLoad = nullptr;
    // How many routes the loaded file held; the saved file holds the chosen one only.
    qsizetype m_loadedRouteCount = 0;
    // (table row, cell text) of "Icon" cells already reported as not a number, so a repaint
    // never reports the same cell again.
    QSet<std::pair<int, QString>> m_reportedIconCells;
    bool m_movingCurrentRow = false;

    // Declared last, so it goes first: a converter it still runs ends while the window is whole.
    std::unique_ptr<LoadFlow> m_flow;
};
