// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TForm1.h"

#include "app/ApplicationIcon.h"
#include "app/ApplicationTitle.h"
#include "app/EditHistory.h"
#include "app/ErrorReportingApplication.h"
#include "app/LoadFlow.h"
#include "app/PictureView.h"
#include "app/QtDialogs.h"
#include "app/RouteGridView.h"
#include "app/WindowRefusals.h"
#include "editing/RouteEdits.h"
#include "editing/WaypointEditor.h"
#include "editing/WaypointValidation.h"
#include "files/RouteFileWriter.h"
#include "files/RouteImport.h"
#include "files/SaveTarget.h"
#include "route/CellNumber.h"
#include "route/DeviceRules.h"
#include "route/DeviceText.h"
#include "route/RouteTable.h"
#include "ui_TForm1.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QIcon>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QStyle>

namespace {

const char* const WindowTitle = "RV-58 GPX-Route Converter V0.5(B1009T)";
// Qt name filters match case-sensitively on case-sensitive file systems, so both cases of
// each extension are listed.
const char* const OpenFilter = "GPX files (*.gpx *.GPX);;Oziexplorer route files (*.rte *.RTE)";
const char* const SaveFilter = "RV58 route files (*.rte *.RTE)";

QString text(const char* latin1) {
    return QString::fromLatin1(latin1);
}

// The widest text each named column holds for a real file: the last waypoint's number,
// coordinates of 11 characters as route files write them, three-digit icon numbers,
// distances of five digits. The "Date" column is not shown; "WPT Name" takes the room the
// others leave, which at the window's font is more than the longest name the device takes
// in wide letters.
QStringList widestCells() {
    const QString coordinate = text("-180.000000"), distance = text("99999.99");
    return QStringList{QString::number(MaxRouteWaypoints), QString(MaxWaypointNameLength, u'W')}
           << coordinate << coordinate << QString() << text("255") << distance << distance;
}
// Room for the half-size icon at the right end of an "Icon" cell, clear of the number.
constexpr int TableIconRoom = 12 + TableIconInset + 4;

} // namespace

TForm1::TForm1(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::TForm1>()), m_table(new RouteTable(this)),
      m_ownDialogs(
          std::make_unique<QtDialogs>(ApplicationTitle(QCoreApplication::applicationFilePath()))),
      m_dialogs(m_ownDialogs.get()), m_flow(std::make_unique<LoadFlow>(this, m_dialogs)) {
    // The layout is in fixed pixels, designed for a 13-pixel font.
    QFont font = QApplication::font();
    font.setPixelSize(13);
    setFont(font);
    ui->setupUi(this);
    setUpControls();
    setUpTable();
    wireHandlers();

    FormCreate();
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128})
        icon.addPixmap(QPixmap::fromImage(ApplicationIconImage(m_sheet, size)));
    setWindowIcon(icon);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TForm1::~TForm1() {
    // Ends a converter still running and puts the pointer back while the window is whole;
    // no step of the load can reach it afterwards.
    m_flow->abandon();
}

void TForm1::setDialogs(Dialogs* dialogs) {
    m_dialogs = dialogs ? dialogs : m_ownDialogs.get();
    m_flow->setDialogs(m_dialogs);
}

void TForm1::setConverter(const GpsBabelConverter& converter) {
    m_flow->setConverter(converter);
}

bool TForm1::isLoading() const {
    return m_flow->isLoading();
}

// What the form cannot hold: the icon list's entries come from the icon sheet, and the
// unit options are numbered as the measurement counts them.
void TForm1::setUpControls() {
    // Typed text selects its entry by number or name (ComboBox_wpt_iconTextEdited); an
    // inline completion would overwrite what is being typed.
    ui->ComboBox_wpt_icon->setCompleter(nullptr);
    ui->ComboBox_wpt_icon->addItems(IconListEntries());
    ui->ComboBox_wpt_icon->setCurrentIndex(-1);
    ui->ComboBox_wpt_icon->setEditText(text(" "));
    ui->Image1->setImage(m_picker.pickerImage());
    m_unitButtons = new QButtonGroup(ui->RadioGroup_unit);
    m_unitButtons->addButton(ui->RadioButton_km, int(Unit::Km));
    m_unitButtons->addButton(ui->RadioButton_mile, int(Unit::Mile));
    // The clean copy of the icon sheet that the table's and the overview's icons come from.
    ui->Image3->setImage(m_sheet.image());
}

void TForm1::setUpTable() {
    RouteGridView* grid = ui->StringGrid_Data;
    grid->setModel(m_table);
    grid->setCellHook(
        [this](int column, int row, const QRect& rect, QPainter& painter) {
            StringGrid_DataDrawCell(column, row, rect, painter);
        },
        RouteTable::ColIcon, TableIconRoom);
    QHeaderView* header = grid->horizontalHeader();
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSectionsClickable(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    // Undo and Redo are the table's right-click menu.
    m_history = new EditHistory(this, grid, ui->Edit_route_name);
}

template <class Handler> void TForm1::guarded(Handler&& handler) {
    RunReported(*m_dialogs, std::forward<Handler>(handler));
}

void TForm1::wireHandlers() {
    connect(ui->Button_Browse, &QPushButton::clicked, this,
            [this] { guarded([this] { Button_BrowseClick(); }); });
    connect(ui->Button_GPX2RTE, &QPushButton::clicked, this,
            [this] { guarded([this] { Button_GPX2RTEClick(); }); });
    connect(ui->ComboBox_wpt_icon, qOverload<int>(&QComboBox::activated), this,
            [this] { guarded([this] { ComboBox_wpt_iconChange(); }); });
    connect(ui->ComboBox_wpt_icon->lineEdit(), &QLineEdit::textEdited, this,
            [this](const QString& typed) {
                guarded([this, &typed] { ComboBox_wpt_iconTextEdited(typed); });
            });
    connect(ui->Image1, &PictureView::mousePressed, this,
            [this](int x, int y) { guarded([this, x, y] { Image1MouseDown(x, y); }); });
    connect(ui->Button_update_wpt, &QPushButton::clicked, this,
            [this] { guarded([this] { Button_update_wptClick(); }); });
    // Mouse and keyboard both move the current row; either way the row is selected.
    connect(ui->StringGrid_Data->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!m_movingCurrentRow && current.isValid())
                    guarded([this, current] {
                        StringGrid_DataSelectCell(current.column(), current.row() + 1);
                    });
            });
    connect(ui->StringGrid_Data, &QTableView::doubleClicked, this,
            &TForm1::StringGrid_DataDblClick);
    connect(ui->Button_save_rte, &QPushButton::clicked, this,
            [this] { guarded([this] { Button_save_rteClick(); }); });
    connect(m_unitButtons, &QButtonGroup::idClicked, this,
            [this] { guarded([this] { RadioGroup_unitClick(); }); });
    connect(m_flow.get(), &LoadFlow::routeReady, this,
            [this] { guarded([this] { showLoadedRoute(); }); });
    connect(m_flow.get(), &LoadFlow::finished, this, &TForm1::endLoad);
    connect(m_history, &EditHistory::waypointEditShown, this,
            [this](int row, const EditorFields& fields) {
                guarded([this, row, &fields] { showUndoneOrRedone(row, fields); });
            });
}

void TForm1::FormCreate() {
    setWindowTitle(text(WindowTitle));
    m_table->writeHeaderRow();
    m_table->setRowCount(10);
    // The date is kept for the file, not shown; the columns without a header stay empty.
    ui->StringGrid_Data->fitColumns(widestCells(), RouteTable::ColName);
    ui->Image1->resize(218, 128);
    ui->ImageRoute->resize(256, 128);
    m_routeImage = QImage(256, 128, QImage::Format_RGB32);
    m_routeImage.fill(Qt::white);
    m_overview.InitViewport();
}

void TForm1::Button_BrowseClick() {
    const QString path = m_dialogs->getOpenFileName(text(OpenFilter));
    if (path.isEmpty())
        return;
    ui->Edit_Filename->setText(path);
    Button_GPX2RTEClick();
}

namespace {

// The one local route file among the dropped things, or the empty text.
QString droppedRouteFile(const QMimeData* mime) {
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1)
        return QString();
    const QUrl url = mime->urls().first();
    if (!url.isLocalFile())
        return QString();
    const QString path = url.toLocalFile();
    return FileTypeOf(path) == RouteFileType::Unknown ? QString() : path;
}

} // namespace

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (!m_flow->isLoading() && !droppedRouteFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    const QString path = droppedRouteFile(event->mimeData());
    if (m_flow->isLoading() || path.isEmpty())
        return;
    event->acceptProposedAction();
    ui->Edit_Filename->setText(QDir::toNativeSeparators(path));
    guarded([this] { Button_GPX2RTEClick(); });
}

void TForm1::closeEvent(QCloseEvent* event) {
    m_flow->abandon();
    QWidget::closeEvent(event);
}

// The load flow asks its questions while the window keeps painting. Until the chosen route
// is taken over, the route loaded before stays as it is, and the controls that would start
// another load or a save are off.
void TForm1::Button_GPX2RTEClick() {
    if (m_flow->isLoading())
        return;
    m_loadingFile = ui->Edit_Filename->text();
    m_focusBeforeLoad = nullptr;
    for (QPushButton* button : {ui->Button_Browse, ui->Button_GPX2RTE, ui->Button_save_rte}) {
        // A focused button that is switched off would hand its focus on as a Tab does, and a
        // text field taking focus that way selects its text and scrolls to its end. The
        // button takes the focus back when the load ends, so the keyboard goes on from it.
        if (focusWidget() == button) {
            m_focusBeforeLoad = button;
            button->clearFocus();
        }
        button->setEnabled(false);
    }
    m_flow->start(m_loadingFile);
}

void TForm1::showLoadedRoute() {
    RouteLoader& loader = m_flow->loader();
    QString routeName = ui->Edit_route_name->text();
    loader.takeOver(*m_table, routeName, m_state);
    m_loadedFile = m_loadingFile;
    m_loadedRouteCount = loader.routes().size();
    m_dialogs->useFolderOf(m_loadedFile);
    ui->Edit_Filename->setText(m_loadedFile);
    ui->Edit_route_name->setText(routeName);
    m_history->restart(routeName);
    m_reportedIconCells.clear();
    ui->Panel1->setEnabled(true);
    ui->StringGrid_Data->setEnabled(true);
    ui->Button_save_rte->setEnabled(true);
    showRowAsCurrent(1);
    // One measurement and one drawing: the row load frames row 1 in the overview, or, when
    // row 1 holds no waypoint, the overview is drawn here.
    measureRoute();
    if (!LoadWaypointIntoEditor(1))
        drawOverview(1);
}

// Whatever was loaded before a refused or cancelled load stays loaded, and the file field
// names its file again.
void TForm1::endLoad() {
    ui->Button_Browse->setEnabled(true);
    ui->Button_GPX2RTE->setEnabled(true);
    ui->Button_save_rte->setEnabled(!m_loadedFile.isEmpty());
    ui->Edit_Filename->setText(m_loadedFile);
    if (m_focusBeforeLoad)
        m_focusBeforeLoad->setFocus();
    emit loadFinished();
}

void TForm1::showRowAsCurrent(int row) {
    // Marks the row the editor shows without running the selection handler again.
    m_movingCurrentRow = true;
    ui->StringGrid_Data->setCurrentIndex(m_table->index(row - 1, RouteTable::ColName));
    m_movingCurrentRow = false;
}

void TForm1::Button_save_rteClick() {
    QString routeName;
    const QString problem = CheckRouteName(ui->Edit_route_name->text(), &routeName);
    if (!problem.isEmpty()) {
        m_dialogs->refusal(RouteNameRefusal(problem, ui->Edit_route_name->text()));
        return;
    }
    const QString misfits = DeviceNameWarning(*m_table, m_state.waypointCount());
    if (!misfits.isEmpty() && !m_dialogs->confirm(misfits, text("Save anyway")))
        return;
    const QByteArray bytes = RebuildRouteLines(m_state, *m_table, routeName);
    const QString path = m_dialogs->getSaveFileName(routeName + text(".RTE"), text(SaveFilter));
    if (path.isEmpty() || !confirmReplacing(path))
        return;
    QString reason;
    if (!WriteRouteFile(path, bytes, &reason))
        m_dialogs->refusal(WriteRefusal(path, reason));
}

// True when `path` may be written: it names no file yet, or the user agrees to replace it.
bool TForm1::confirmReplacing(const QString& path) {
    const QFileInfo target(path);
    // A directory, fifo or device is refused by the write itself, with its reason.
    if (!target.exists() || !CheckSaveTarget(path).isEmpty())
        return true;
    QString question = text("%1 already exists. Replace it?").arg(target.fileName());
    const qsizetype others = m_loadedRouteCount - 1;
    if (others > 0 && target.canonicalFilePath() == QFileInfo(m_loadedFile).canonicalFilePath())
        question +=
            (others == 1 ? text(" It holds 1 other route, which will not be kept:")
                         : text(" It holds %1 other routes, which will not be kept:").arg(others)) +
            text(" the saved file holds the chosen route only.");
    return m_dialogs->confirm(question, text("Replace"));
}

void TForm1::RadioGroup_unitClick() {
    m_unit = m_unitButtons->checkedId() == int(Unit::Km) ? Unit::Km : Unit::Mile;
    if (const auto length =
            m_measurement.switchUnit(*m_table, int(m_measuredPoints.size()), m_unit))
        ui->Label_route_len->setText(*length);
}

void TForm1::RefreshRoute(int row) {
    measureRoute();
    drawOverview(row);
}

void TForm1::measureRoute() {
    Measurement measured = m_measurement.measure(*m_table, m_state.waypointCount(), m_unit);
    ui->Label_route_len->setText(measured.routeLengthText);
    ui->Label_total_wpt->setText(measured.countText);
    m_measuredPoints = std::move(measured.points);
    emit routeMeasured();
}

void TForm1::drawOverview(int row) {
    emit overviewDrawn();
    const IconPainter drawIcon = [this](QPainter& painter, int icon, const QRect& dest) {
        DrawSheetIcon(painter, ui->Image3->image(), icon, dest);
    };
    try {
        m_overview.DrawRouteOverview(m_routeImage, m_measuredPoints, int(m_measuredPoints.size()),
                                     quint8(row), *m_table, drawIcon);
    } catch (...) {
        // A cell that stops the drawing still leaves what was drawn up to it on show.
        ui->ImageRoute->setImage(m_routeImage);
        throw;
    }
    ui->ImageRoute->setImage(m_routeImage);
}

void TForm1::StringGrid_DataSelectCell(int column, int row) {
    Q_UNUSED(column);
    if (m_state.loadedFileSize != 0 && row >= 1)
        LoadWaypointIntoEditor(row);
}

void TForm1::StringGrid_DataDblClick() {
    // Cells are never edited in place, so a double click means nothing.
}

void TForm1::StringGrid_DataGetEditText() {
    // The table has no in-place editor; there is no edit text to supply.
}

bool TForm1::LoadWaypointIntoEditor(int row) {
    const std::optional<EditorRow> shown = LoadWaypointRow(*m_table, row);
    if (!shown)
        return false; // not a waypoint row
    m_state.selectedRow = quint8(row);
    // The field holds the cell's text as it is, so Accept writes back the same bytes; a long
    // name shows its start.
    ui->Edit_waypoint->setText(shown->name);
    ui->Edit_waypoint->setCursorPosition(0);
    ui->Edit_Lat->setText(shown->latitude);
    ui->Edit_Lon->setText(shown->longitude);
    // A bad "Icon" cell stops the row load here and is reported by this handler; the table's
    // drawing of the same cell need not report it again.
    int icon = -1;
    try {
        icon = EditorIconIndex(shown->iconText);
    } catch (...) {
        m_reportedIconCells.insert({row, shown->iconText});
        throw;
    }
    // Selecting from code does not run the list's change handler, so it is run here.
    ui->ComboBox_wpt_icon->setCurrentIndex(icon);
    ComboBox_wpt_iconChange();
    ui->Button_update_wpt->setEnabled(true);
    // Selecting changes no cell, so the route as last measured is framed anew.
    drawOverview(row);
    return true;
}

void TForm1::Button_update_wptClick() {
    const QString problem = ValidateWaypointInput(ui->Edit_waypoint->text(), ui->Edit_Lat->text(),
                                                  ui->Edit_Lon->text());
    if (problem.isEmpty()) {
        // What the editor shows is kept with the step, to be shown again when it is undone.
        const EditorFields fields{ui->Edit_waypoint->text(), ui->ComboBox_wpt_icon->currentIndex()};
        m_history->push(AcceptAsEdit(*m_table, m_state.selectedRow, TrimControl(fields.name),
                                     fields.icon, int(m_measuredPoints.size()),
                                     ui->CheckBox_ICON_CHANGE_MACRO->isChecked(),
                                     ui->CheckBox_wpt_name_change_macro->isChecked(), fields,
                                     m_history->waypointEditApplied()));
    } else {
        m_dialogs->refusal(WaypointInputRefusal(problem, ui->Edit_waypoint->text(),
                                                ui->Edit_Lat->text(), ui->Edit_Lon->text()));
    }
    // The distances and the overview are refreshed whether or not the input passed.
    RefreshRoute(m_state.selectedRow);
}

// An Accept undone or redone: its row is selected and shown in the editor with the fields
// as they were at the Accept, and the route is measured and drawn as after an Accept.
void TForm1::showUndoneOrRedone(int row, const EditorFields& fields) {
    m_state.selectedRow = quint8(row);
    showRowAsCurrent(row);
    ui->Edit_waypoint->setText(fields.name);
    ui->Edit_waypoint->setCursorPosition(0);
    ui->Edit_Lat->setText(m_table->cell(RouteTable::ColLatitude, row));
    ui->Edit_Lon->setText(m_table->cell(RouteTable::ColLongitude, row));
    ui->ComboBox_wpt_icon->setCurrentIndex(fields.icon);
    ComboBox_wpt_iconChange();
    RefreshRoute(row);
}

void TForm1::ComboBox_wpt_iconChange() {
    m_picker.change(ui->ComboBox_wpt_icon->currentIndex());
    ui->Image1->setImage(m_picker.pickerImage());
    ui->Image2->setImage(m_picker.preview());
}

void TForm1::ComboBox_wpt_iconTextEdited(const QString& typed) {
    // Selecting an entry puts its text into the field; what the user is typing stays.
    QLineEdit* field = ui->ComboBox_wpt_icon->lineEdit();
    const int cursor = field->cursorPosition();
    ui->ComboBox_wpt_icon->setCurrentIndex(IconEntryForText(typed));
    field->setText(typed);
    field->setCursorPosition(cursor);
    ComboBox_wpt_iconChange();
}

void TForm1::Image1MouseDown(int x, int y) {
    ui->ComboBox_wpt_icon->setCurrentIndex(IconPicker::indexAt(x, y));
    ComboBox_wpt_iconChange();
}

void TForm1::StringGrid_DataDrawCell(int column, int row, const QRect& rect, QPainter& painter) {
    if (column != RouteTable::ColIcon || row < 1)
        return;
    const QString cellText = m_table->cell(column, row);
    if (cellText.isEmpty())
        return;
    int icon = 0;
    if (!ParseDecimalInteger(cellText, icon)) {
        // Reported once per cell and text: a report from inside painting would be painted
        // over and raised again at every repaint. The conversion is repeated after the
        // paint, where its error reaches the top-level report like any handler's.
        if (!m_reportedIconCells.contains({row, cellText})) {
            m_reportedIconCells.insert({row, cellText});
            QMetaObject::invokeMethod(
                this, [this, cellText] { guarded([&cellText] { (void)CellToInteger(cellText); }); },
                Qt::QueuedConnection);
        }
        return;
    }
    DrawTableIcon(painter, ui->Image3->image(), rect, icon);
}
