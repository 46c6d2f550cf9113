// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: the three groups of controls, their initial states and the wiring of
// every handler. The handlers are thin: they collect control texts, call the operations
// of the layers below and show what comes back through the dialog layer.
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
class PictureView;
class RouteLoader;
class RouteTable;
struct Refusal;
class QButtonGroup;
class QCheckBox;
class QCloseEvent;
class QComboBox;
class QDragEnterEvent;
class QDropEvent;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPainter;
class QProgressDialog;
class QPushButton;
class QTableView;

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
    void setConverter(const GpsBabelConverter& converter) { m_converter = converter; }
    // True from the start of a load until it has ended in whichever way (loadFinished()).
    bool isLoading() const { return m_loading; }

    RouteTable& routeTable() { return *m_table; }
    const RouteState& routeState() const { return m_state; }
    // The unit chosen in the Unit group.
    Unit unit() const;

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
    void createTopBar();
    void createWaypointPanel();
    void createRoutePanel();
    void createOutsideControls();
    void wireHandlers();
    // Runs a handler; an error that escapes it is reported here and the handler abandoned,
    // before the error could unwind through Qt's own code.
    template <class Handler> void guarded(Handler&& handler);
    void fitColumnsToFont();
    void showNamedColumnsOnly();
    void keepColumnWidthsOverReset();
    void showRefusal(const Refusal& refusal);
    void showRowAsCurrent(int row);
    void measureRoute();
    void drawOverview(int row);

    // The load runs in steps while the window stays responsive; see Button_GPX2RTEClick.
    void onLoaderStep();
    bool chooseListedRoute();
    void showLoadedRoute();
    void startWorking(const QString& label);
    void stopWorking();
    void endLoad();
    void abandonLoad();
    bool confirmReplacing(const QString& path);

    // Owned state of the window.
    RouteTable* m_table = nullptr;
    RouteState m_state;
    RouteMeasurement m_measurement;
    RouteOverview m_overview;
    const IconSheet m_sheet;
    IconPicker m_picker{m_sheet};
    GpsBabelConverter m_converter;
    std::unique_ptr<Dialogs> m_ownDialogs;
    Dialogs* m_dialogs = nullptr;
    QImage m_routeImage;
    // The projected points of the last measurement, which the overview is drawn from.
    QVector<ProjectedPoint> m_measuredPoints;
    // The file of the route that is loaded; empty before the first load.
    QString m_loadedFile;
    // (table row, cell text) of "Icon" cells already reported as not a number, so a repaint
    // never reports the same cell again.
    QSet<std::pair<int, QString>> m_reportedIconCells;
    bool m_movingCurrentRow = false;
    QList<int> m_columnWidths;

    // The load under way, made afresh for each load with the converter set then.
    std::unique_ptr<RouteLoader> m_loader;
    bool m_loading = false;
    QString m_loadingFile;
    // While set, the busy pointer is on and the progress dialog waits to show (or shows).
    QProgressDialog* m_progress = nullptr;
    // The enabled states of the controls that start a load or a save, kept during a load.
    QList<bool> m_enabledBeforeLoad;
    // How many routes the loaded file held; the saved file holds the chosen one only.
    qsizetype m_loadedRouteCount = 0;

    // Controls, named as their object names.
    QFrame* Panel3 = nullptr;
    QFrame* Panel1 = nullptr;
    QFrame* Panel2 = nullptr;

    QLineEdit* Edit_Filename = nullptr;
    QPushButton* Button_Browse = nullptr;

    QLabel* Label2 = nullptr;
    QLineEdit* Edit_waypoint = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* ComboBox_wpt_icon = nullptr;
    PictureView* Image2 = nullptr;
    PictureView* Image1 = nullptr;
    QCheckBox* CheckBox_ICON_CHANGE_MACRO = nullptr;
    QCheckBox* CheckBox_wpt_name_change_macro = nullptr;
    QPushButton* Button_update_wpt = nullptr;
    QLineEdit* Edit_Lat = nullptr;
    QLineEdit* Edit_Lon = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;

    QLabel* Label1 = nullptr;
    QLineEdit* Edit_route_name = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label_total_wpt = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label_route_len = nullptr;
    QGroupBox* RadioGroup_unit = nullptr;
    QButtonGroup* m_unitButtons = nullptr;
    PictureView* ImageRoute = nullptr;
    QPushButton* Button_save_rte = nullptr;
    QTableView* StringGrid_Data = nullptr;

    QPushButton* Button_GPX2RTE = nullptr;
    PictureView* Image3 = nullptr;
};
