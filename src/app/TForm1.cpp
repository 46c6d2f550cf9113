// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TForm1.h"

#include "app/ApplicationIcon.h"
#include "app/ApplicationTitle.h"
#include "app/ErrorReportingApplication.h"
#include "app/PictureView.h"
#include "app/QtDialogs.h"
#include "app/RouteGridDelegate.h"
#include "app/RouteGridView.h"
#include "editing/WaypointEditor.h"
#include "editing/WaypointValidation.h"
#include "files/RouteFileWriter.h"
#include "files/RouteImport.h"
#include "files/SaveTarget.h"
#include "route/CellNumber.h"
#include "route/DeviceText.h"
#include "route/Messages.h"
#include "route/RouteTable.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QTableView>

namespace {

const char* const WindowTitle = "RV-58 GPX-Route Converter V0.5(B1009T)";
// Qt name filters match case-sensitively on case-sensitive file systems, so both cases of
// each extension are listed.
const char* const OpenFilter = "GPX files (*.gpx *.GPX);;Oziexplorer route files (*.rte *.RTE)";
const char* const SaveFilter = "RV58 route files (*.rte *.RTE)";
// The progress dialog comes up only for a load that takes longer than this.
constexpr int ProgressDelayMs = 1000;

// The widest text each named column holds for a real file: three-digit numbers, coordinates
// of 11 characters as route files write them, distances of five digits. The "Date" column
// is not shown; "WPT Name" takes the room the others leave, at least that of six wide
// letters, the longest name the device takes.
const char* const WidestCells[RouteTable::HeaderColumns] = {
    "124", "WWWWWW", "-180.000000", "-180.000000", "", "255", "99999.99", "99999.99"};
// Room for the half-size icon at the right end of an "Icon" cell, clear of the number.
constexpr int TableIconRoom = 12 + TableIconInset + 4;
constexpr int DefaultColumnWidth = 64;
constexpr int RowHeight = 24;

QString text(const char* latin1) {
    return QString::fromLatin1(latin1);
}

template <class T> T* makeControl(QWidget* parent, const char* name, const QRect& geometry) {
    T* control = new T(parent);
    control->setObjectName(text(name));
    control->setGeometry(geometry);
    return control;
}

// A label sized to its text, at (x, y); `width` reserves room for texts that grow later.
QLabel* makeLabel(QWidget* parent, const char* name, const char* caption, int x, int y,
                  int width = 0) {
    QLabel* label = new QLabel(text(caption), parent);
    label->setObjectName(text(name));
    label->adjustSize();
    label->move(x, y);
    if (width > 0)
        label->resize(width, label->height());
    return label;
}

QFrame* makePanel(QWidget* parent, const char* name, int top, int height) {
    QFrame* panel = makeControl<QFrame>(parent, name, QRect(0, top, TForm1::ClientWidth, height));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    return panel;
}

} // namespace

TForm1::TForm1(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_table(new RouteTable(this)),
      m_ownDialogs(
          std::make_unique<QtDialogs>(ApplicationTitle(QCoreApplication::applicationFilePath()))),
      m_dialogs(m_ownDialogs.get()) {
    setObjectName(text("Form1"));
    // The layout is in fixed pixels, designed for a 13-pixel font.
    QFont font = QApplication::font();
    font.setPixelSize(13);
    setFont(font);
    setFixedSize(ClientWidth, ClientHeight);

    createTopBar();
    createWaypointPanel();
    createRoutePanel();
    createOutsideControls();
    wireHandlers();

    FormCreate();
    setAcceptDrops(true);
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
    abandonLoad();
}

void TForm1::setDialogs(Dialogs* dialogs) {
    m_dialogs = dialogs ? dialogs : m_ownDialogs.get();
}

Unit TForm1::unit() const {
    return m_unitButtons->checkedId() == 0 ? Unit::Km : Unit::Mile;
}

void TForm1::createTopBar() {
    Panel3 = makePanel(this, "Panel3", 0, 57);
    Edit_Filename = makeControl<QLineEdit>(Panel3, "Edit_Filename", QRect(16, 16, 441, 24));
    Button_Browse = makeControl<QPushButton>(Panel3, "Button_Browse", QRect(472, 16, 81, 25));
    Button_Browse->setText(text("Load Route"));
    Button_Browse->setToolTip(text("import GPX or  OZiexplorer route file..."));
}

void TForm1::createWaypointPanel() {
    Panel1 = makePanel(this, "Panel1", 57, 187);
    Panel1->setEnabled(false);

    Label2 = makeLabel(Panel1, "Label2", "Waypoint Name", 12, 16);
    Edit_waypoint = makeControl<QLineEdit>(Panel1, "Edit_waypoint", QRect(120, 16, 96, 24));
    Edit_waypoint->setToolTip(text("[A..Z][0..9] CHAR(6)"));

    Label3 = makeLabel(Panel1, "Label3", "Icon", 80, 53);
    ComboBox_wpt_icon =
        makeControl<QComboBox>(Panel1, "ComboBox_wpt_icon", QRect(120, 51, 180, 24));
    ComboBox_wpt_icon->setEditable(true);
    ComboBox_wpt_icon->setInsertPolicy(QComboBox::NoInsert);
    // Typed text selects its entry by number or name (ComboBox_wpt_iconTextEdited); an
    // inline completion would overwrite what is being typed.
    ComboBox_wpt_icon->setCompleter(nullptr);
    ComboBox_wpt_icon->addItems(IconListEntries());
    ComboBox_wpt_icon->setCurrentIndex(-1);
    ComboBox_wpt_icon->setEditText(text(" "));

    Image2 = makeControl<PictureView>(Panel1, "Image2", QRect(306, 49, 24, 24));
    Image1 = makeControl<PictureView>(Panel1, "Image1", QRect(336, 16, 218, 128));
    Image1->setStretch(true);
    Image1->setImage(m_picker.pickerImage());

    CheckBox_ICON_CHANGE_MACRO =
        makeControl<QCheckBox>(Panel1, "CheckBox_ICON_CHANGE_MACRO", QRect(24, 96, 185, 17));
    CheckBox_ICON_CHANGE_MACRO->setText(text("Icon Change Macro"));
    CheckBox_ICON_CHANGE_MACRO->setToolTip(
        text("Enabled to change  all waypoint  icons  all at once "));
    CheckBox_ICON_CHANGE_MACRO->setChecked(true);

    CheckBox_wpt_name_change_macro =
        makeControl<QCheckBox>(Panel1, "CheckBox_wpt_name_change_macro", QRect(24, 128, 233, 17));
    CheckBox_wpt_name_change_macro->setText(text("Waypoint Name Change Macro"));
    CheckBox_wpt_name_change_macro->setToolTip(
        text("Enabled to change waypoint  name  all at once"));

    Button_update_wpt =
        makeControl<QPushButton>(Panel1, "Button_update_wpt", QRect(480, 152, 73, 25));
    Button_update_wpt->setText(text("Accept"));
    Button_update_wpt->setEnabled(false);

    // The selected waypoint's coordinates, carried to the input check; never shown.
    Edit_Lat = makeControl<QLineEdit>(Panel1, "Edit_Lat", QRect(704, 101, 97, 24));
    Edit_Lat->setToolTip(text("+90.000000 ~ -90.000000"));
    Edit_Lon = makeControl<QLineEdit>(Panel1, "Edit_Lon", QRect(712, 144, 97, 24));
    Edit_Lon->setToolTip(text("+180.000000 ~ -180.000000"));
    Label4 = makeLabel(Panel1, "Label4", "Latitude", 626, 107);
    Label5 = makeLabel(Panel1, "Label5", "Longitude", 630, 152);
    for (QWidget* hidden : {static_cast<QWidget*>(Edit_Lat), static_cast<QWidget*>(Edit_Lon),
                            static_cast<QWidget*>(Label4), static_cast<QWidget*>(Label5)}) {
        hidden->setEnabled(false);
        hidden->hide();
    }
}

void TForm1::createRoutePanel() {
    Panel2 = makePanel(this, "Panel2", 57 + 187, 420);

    Label1 = makeLabel(Panel2, "Label1", "Route Name ", 16, 25);
    Edit_route_name = makeControl<QLineEdit>(Panel2, "Edit_route_name", QRect(112, 25, 170, 24));
    Edit_route_name->setToolTip(text("[A..Z][0..9] CHAR(12)"));

    Label7 = makeLabel(Panel2, "Label7", "Total Points", 16, 57);
    Label_total_wpt = makeLabel(Panel2, "Label_total_wpt", "0", 112, 56, 60);
    Label6 = makeLabel(Panel2, "Label6", "Total Dist.", 16, 81);
    Label_route_len = makeLabel(Panel2, "Label_route_len", "0.00 miles", 112, 80, 170);

    RadioGroup_unit = makeControl<QGroupBox>(Panel2, "RadioGroup_unit", QRect(16, 104, 225, 49));
    RadioGroup_unit->setTitle(text("Unit"));
    m_unitButtons = new QButtonGroup(RadioGroup_unit);
    auto* unitColumns = new QHBoxLayout(RadioGroup_unit);
    unitColumns->setContentsMargins(8, 0, 8, 0);
    const char* const units[] = {"km", "mile"};
    for (int index = 0; index < 2; ++index) {
        auto* option = new QRadioButton(text(units[index]), RadioGroup_unit);
        m_unitButtons->addButton(option, index);
        unitColumns->addWidget(option, 1, Qt::AlignLeft);
    }
    m_unitButtons->button(1)->setChecked(true);

    ImageRoute = makeControl<PictureView>(Panel2, "ImageRoute", QRect(296, 16, 256, 128));
    ImageRoute->setStretch(true);

    Button_save_rte = makeControl<QPushButton>(Panel2, "Button_save_rte", QRect(448, 160, 113, 25));
    Button_save_rte->setText(text("Save Route"));
    Button_save_rte->setEnabled(false);

    StringGrid_Data =
        makeControl<RouteGridView>(Panel2, "StringGrid_Data", QRect(16, 200, 545, 209));
    StringGrid_Data->setModel(m_table);
    StringGrid_Data->setItemDelegate(new RouteGridDelegate(
        [this](int column, int row, const QRect& rect, QPainter& painter) {
            StringGrid_DataDrawCell(column, row, rect, painter);
        },
        StringGrid_Data));
    // Column 0 of the table is the fixed "NO" column, so the view's own row header goes.
    StringGrid_Data->verticalHeader()->hide();
    StringGrid_Data->verticalHeader()->setMinimumSectionSize(1);
    StringGrid_Data->verticalHeader()->setDefaultSectionSize(RowHeight);
    QHeaderView* header = StringGrid_Data->horizontalHeader();
    header->setMinimumSectionSize(0);
    header->setDefaultSectionSize(DefaultColumnWidth);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setHighlightSections(false);
    header->setSectionsClickable(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    StringGrid_Data->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid_Data->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid_Data->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid_Data->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid_Data->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    StringGrid_Data->setCornerButtonEnabled(false);
    StringGrid_Data->setWordWrap(false);
    StringGrid_Data->setEnabled(false);
    keepColumnWidthsOverReset();
}

void TForm1::createOutsideControls() {
    // Beyond the right edge of the window and never shown: the import's own button (the
    // import runs through Load Route) and the clean copy of the icon sheet that icons are
    // drawn from.
    Button_GPX2RTE = makeControl<QPushButton>(this, "Button_GPX2RTE", QRect(600, 16, 75, 25));
    Button_GPX2RTE->setText(text("GPX ->RTE"));
    Button_GPX2RTE->hide();
    Image3 = makeControl<PictureView>(this, "Image3", QRect(600, 64, 220, 128));
    Image3->setImage(m_sheet.image());
    Image3->hide();
}

void TForm1::fitColumnsToFont() {
    // The view's own measures: a cell's text keeps the focus frame margin and a pixel free
    // on each side; a header needs what its section size hint says.
    const QFontMetrics metrics(StringGrid_Data->font());
    QStyle* style = StringGrid_Data->style();
    const int margin =
        style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, StringGrid_Data) + 1;
    const QHeaderView* header = StringGrid_Data->horizontalHeader();
    // A long route shows the vertical scroll bar; the columns fit beside it.
    int room = StringGrid_Data->width() - 2 * StringGrid_Data->frameWidth() -
               style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, StringGrid_Data);
    int widths[RouteTable::HeaderColumns] = {};
    for (int c = 0; c < RouteTable::HeaderColumns; ++c) {
        if (c == RouteTable::ColDate)
            continue;
        widths[c] = qMax(header->sectionSizeHint(c),
                         metrics.horizontalAdvance(text(WidestCells[c])) + 2 * margin +
                             (c == RouteTable::ColIcon ? TableIconRoom : 0));
        if (c != RouteTable::ColName)
            room -= widths[c];
    }
    widths[RouteTable::ColName] = qMax(widths[RouteTable::ColName], room);
    for (int c = 0; c < RouteTable::HeaderColumns; ++c)
        StringGrid_Data->setColumnWidth(c, widths[c]);
    showNamedColumnsOnly();
}

void TForm1::showNamedColumnsOnly() {
    // The date is kept for the file, not shown; the columns without a header stay empty.
    for (int c = 0; c < m_table->columnCount(); ++c)
        StringGrid_Data->setColumnHidden(c, c == RouteTable::ColDate ||
                                                c >= RouteTable::HeaderColumns);
}

void TForm1::keepColumnWidthsOverReset() {
    // A load replaces the table's rows and columns, which resets the view's columns; the
    // widths in use (the user may have changed them) are kept.
    connect(m_table, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        m_columnWidths.clear();
        for (int c = 0; c < m_table->columnCount(); ++c)
            m_columnWidths.append(StringGrid_Data->columnWidth(c));
    });
    connect(m_table, &QAbstractItemModel::modelReset, this, [this] {
        for (int c = 0; c < m_table->columnCount(); ++c)
            StringGrid_Data->setColumnWidth(c, m_columnWidths.value(c, DefaultColumnWidth));
        showNamedColumnsOnly();
    });
}

template <class Handler> void TForm1::guarded(Handler&& handler) {
    try {
        handler();
    } catch (...) {
        m_dialogs->errorReport(ErrorReportText(CurrentErrorText()));
    }
}

void TForm1::wireHandlers() {
    connect(Button_Browse, &QPushButton::clicked, this,
            [this] { guarded([this] { Button_BrowseClick(); }); });
    connect(Button_GPX2RTE, &QPushButton::clicked, this,
            [this] { guarded([this] { Button_GPX2RTEClick(); }); });
    connect(ComboBox_wpt_icon, qOverload<int>(&QComboBox::activated), this,
            [this] { guarded([this] { ComboBox_wpt_iconChange(); }); });
    connect(ComboBox_wpt_icon->lineEdit(), &QLineEdit::textEdited, this,
            [this](const QString& typed) {
                guarded([this, &typed] { ComboBox_wpt_iconTextEdited(typed); });
            });
    connect(Image1, &PictureView::mousePressed, this,
            [this](int x, int y) { guarded([this, x, y] { Image1MouseDown(x, y); }); });
    connect(Button_update_wpt, &QPushButton::clicked, this,
            [this] { guarded([this] { Button_update_wptClick(); }); });
    // Mouse and keyboard both move the current row; either way the row is selected.
    connect(StringGrid_Data->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!m_movingCurrentRow && current.isValid())
                    guarded([this, current] {
                        StringGrid_DataSelectCell(current.column(), current.row() + 1);
                    });
            });
    connect(StringGrid_Data, &QTableView::doubleClicked, this, &TForm1::StringGrid_DataDblClick);
    connect(Button_save_rte, &QPushButton::clicked, this,
            [this] { guarded([this] { Button_save_rteClick(); }); });
    connect(m_unitButtons, &QButtonGroup::idClicked, this,
            [this] { guarded([this] { RadioGroup_unitClick(); }); });
}

void TForm1::FormCreate() {
    setWindowTitle(text(WindowTitle));
    m_table->writeHeaderRow();
    m_table->setRowCount(10);
    fitColumnsToFont();
    Image1->resize(218, 128);
    ImageRoute->resize(256, 128);
    m_routeImage = QImage(256, 128, QImage::Format_RGB32);
    m_routeImage.fill(Qt::white);
    m_overview.InitViewport();
}

void TForm1::Button_BrowseClick() {
    const QString path = m_dialogs->getOpenFileName(text(OpenFilter));
    if (path.isEmpty())
        return;
    Edit_Filename->setText(path);
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
    if (!m_loading && !droppedRouteFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    const QString path = droppedRouteFile(event->mimeData());
    if (m_loading || path.isEmpty())
        return;
    event->acceptProposedAction();
    Edit_Filename->setText(QDir::toNativeSeparators(path));
    guarded([this] { Button_GPX2RTEClick(); });
}

void TForm1::closeEvent(QCloseEvent* event) {
    abandonLoad();
    QWidget::closeEvent(event);
}

// The load runs in steps so the window keeps painting while the converter works: the
// file's routes are listed, the user chooses one (and whether a long one is fitted), the
// route is taken over. Until then the route loaded before stays as it is, and the controls
// that would start another load or a save are off.
void TForm1::Button_GPX2RTEClick() {
    if (m_loading)
        return;
    m_loadingFile = Edit_Filename->text();
    m_loader = std::make_unique<RouteLoader>(m_converter);
    connect(m_loader.get(), &RouteLoader::stepFinished, this, &TForm1::onLoaderStep);
    m_loading = true;
    m_enabledBeforeLoad = {Button_Browse->isEnabled(), Button_GPX2RTE->isEnabled(),
                           Button_save_rte->isEnabled()};
    for (QPushButton* button : {Button_Browse, Button_GPX2RTE, Button_save_rte}) {
        // A focused button that is switched off would hand its focus on as a Tab does, and a
        // text field taking focus that way selects its text and scrolls to its end.
        if (button->hasFocus())
            button->clearFocus();
        button->setEnabled(false);
    }
    startWorking(text("Loading %1 ...").arg(QFileInfo(m_loadingFile).fileName()));
    m_loader->open(m_loadingFile);
}

void TForm1::onLoaderStep() {
    if (!m_loading)
        return;
    // Every question and message comes up with the normal pointer and no progress dialog.
    stopWorking();
    const RouteLoader::Stage stage = m_loader->stage();
    if (stage == RouteLoader::Stage::Listed) {
        bool goesOn = false;
        guarded([this, &goesOn] { goesOn = chooseListedRoute(); });
        if (goesOn)
            return;
    }
    endLoad();
    guarded([this, stage] {
        if (stage == RouteLoader::Stage::Ready) {
            showLoadedRoute();
            return;
        }
        // Whatever was loaded before stays loaded, with its controls as they were, and the
        // file field names its file again once a refusal has been read.
        if (stage == RouteLoader::Stage::Failed)
            showRefusal(m_loader->outcome().refusal);
        Edit_Filename->setText(m_loadedFile);
    });
    emit loadFinished();
}

// Asks which of several routes to take and whether to fit one too long for the device;
// false when the user cancels the choice.
bool TForm1::chooseListedRoute() {
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
        startWorking(text("Reducing the route to %1 points ...").arg(MaxRouteWaypoints));
    m_loader->choose(number, fit);
    return true;
}

void TForm1::showLoadedRoute() {
    QString routeName = Edit_route_name->text();
    m_loader->takeOver(*m_table, routeName, m_state);
    m_loadedFile = m_loadingFile;
    m_loadedRouteCount = m_loader->routes().size();
    Edit_Filename->setText(m_loadedFile);
    Edit_route_name->setText(routeName);
    m_reportedIconCells.clear();
    Panel1->setEnabled(true);
    StringGrid_Data->setEnabled(true);
    Button_save_rte->setEnabled(true);
    showRowAsCurrent(1);
    // One measurement and one drawing: the row load frames row 1 in the overview, or, when
    // row 1 holds no waypoint, the overview is drawn here.
    measureRoute();
    const QString fitReport = m_loader->fitReport();
    if (!LoadWaypointIntoEditor(1))
        drawOverview(1);
    // Said once the fitted route is on show, so the user sees what the numbers are about.
    if (!fitReport.isEmpty())
        m_dialogs->message(fitReport + QLatin1Char('.'));
}

void TForm1::startWorking(const QString& label) {
    if (!m_progress)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    delete m_progress;
    // A busy bar with Cancel, shown only when the work takes longer than a moment; modal to
    // this window alone, which keeps painting behind it.
    m_progress = new QProgressDialog(label, text("Cancel"), 0, 0, this);
    m_progress->setWindowTitle(ApplicationTitle(QCoreApplication::applicationFilePath()));
    m_progress->setWindowModality(Qt::WindowModal);
    m_progress->setMinimumDuration(ProgressDelayMs);
    m_progress->setValue(0); // starts the delay
    connect(m_progress, &QProgressDialog::canceled, this, [this] {
        if (m_loader)
            m_loader->cancel();
    });
}

void TForm1::stopWorking() {
    if (!m_progress)
        return;
    QApplication::restoreOverrideCursor();
    // Deleted later: this may run while the dialog is still delivering its own signal.
    m_progress->disconnect(this);
    m_progress->hide();
    m_progress->deleteLater();
    m_progress = nullptr;
}

void TForm1::endLoad() {
    m_loading = false;
    const QList<QPushButton*> buttons = {Button_Browse, Button_GPX2RTE, Button_save_rte};
    for (int i = 0; i < buttons.size(); ++i)
        buttons.at(i)->setEnabled(m_enabledBeforeLoad.value(i, true));
}

void TForm1::abandonLoad() {
    if (!m_loading)
        return;
    // Destroying the loader ends its converter and removes the converter's folder at once.
    m_loader.reset();
    stopWorking();
    endLoad();
    Edit_Filename->setText(m_loadedFile);
    emit loadFinished();
}

void TForm1::showRefusal(const Refusal& refusal) {
    QString details = refusal.explanation();
    if (!refusal.details.isEmpty())
        details += (details.isEmpty() ? QString() : text("\n")) + refusal.details;
    m_dialogs->message(refusal.headline, details);
}

void TForm1::showRowAsCurrent(int row) {
    // Marks the row the editor shows without running the selection handler again.
    m_movingCurrentRow = true;
    StringGrid_Data->setCurrentIndex(m_table->index(row - 1, RouteTable::ColName));
    m_movingCurrentRow = false;
}

void TForm1::Button_save_rteClick() {
    QString routeName;
    const QString problem = CheckRouteName(Edit_route_name->text(), &routeName);
    if (!problem.isEmpty()) {
        m_dialogs->message(problem);
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
        m_dialogs->message(Message::text(Message::WriteError), reason);
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
    if (const auto length =
            m_measurement.switchUnit(*m_table, int(m_measuredPoints.size()), unit()))
        Label_route_len->setText(*length);
}

void TForm1::RefreshRoute(int row) {
    measureRoute();
    drawOverview(row);
}

void TForm1::measureRoute() {
    Measurement measured = m_measurement.measure(*m_table, m_state.waypointCount(), unit());
    Label_route_len->setText(measured.routeLengthText);
    Label_total_wpt->setText(measured.countText);
    m_measuredPoints = std::move(measured.points);
    emit routeMeasured();
}

void TForm1::drawOverview(int row) {
    emit overviewDrawn();
    const IconPainter drawIcon = [this](QPainter& painter, int icon, const QRect& dest) {
        DrawSheetIcon(painter, Image3->image(), icon, dest);
    };
    try {
        m_overview.DrawRouteOverview(m_routeImage, m_measuredPoints, int(m_measuredPoints.size()),
                                     quint8(row), *m_table, drawIcon);
    } catch (...) {
        // A cell that stops the drawing still leaves what was drawn up to it on show.
        ImageRoute->setImage(m_routeImage);
        throw;
    }
    ImageRoute->setImage(m_routeImage);
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
    Edit_waypoint->setText(shown->name);
    Edit_waypoint->setCursorPosition(0);
    Edit_Lat->setText(shown->latitude);
    Edit_Lon->setText(shown->longitude);
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
    ComboBox_wpt_icon->setCurrentIndex(icon);
    ComboBox_wpt_iconChange();
    Button_update_wpt->setEnabled(true);
    // Selecting changes no cell, so the route as last measured is framed anew.
    drawOverview(row);
    return true;
}

void TForm1::Button_update_wptClick() {
    const QString problem =
        ValidateWaypointInput(Edit_waypoint->text(), Edit_Lat->text(), Edit_Lon->text());
    if (problem.isEmpty()) {
        AcceptWaypoint(
            *m_table, m_state.selectedRow, TrimControl(Edit_waypoint->text()),
            ComboBox_wpt_icon->currentIndex(), WaypointCountFromText(Label_total_wpt->text()),
            CheckBox_ICON_CHANGE_MACRO->isChecked(), CheckBox_wpt_name_change_macro->isChecked());
    } else {
        m_dialogs->message(problem);
    }
    // The distances and the overview are refreshed whether or not the input passed.
    RefreshRoute(m_state.selectedRow);
}

void TForm1::ComboBox_wpt_iconChange() {
    m_picker.change(ComboBox_wpt_icon->currentIndex());
    Image1->setImage(m_picker.pickerImage());
    Image2->setImage(m_picker.preview());
}

void TForm1::ComboBox_wpt_iconTextEdited(const QString& typed) {
    // Selecting an entry puts its text into the field; what the user is typing stays.
    QLineEdit* field = ComboBox_wpt_icon->lineEdit();
    const int cursor = field->cursorPosition();
    ComboBox_wpt_icon->setCurrentIndex(IconEntryForText(typed));
    field->setText(typed);
    field->setCursorPosition(cursor);
    ComboBox_wpt_iconChange();
}

void TForm1::Image1MouseDown(int x, int y) {
    ComboBox_wpt_icon->setCurrentIndex(IconPicker::indexAt(x, y));
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
    DrawTableIcon(painter, Image3->image(), rect, icon);
}
