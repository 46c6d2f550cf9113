// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RouteListDialog.h"

#include "route/DeviceText.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
enum Column { ColNumber, ColName, ColPoints, ColKind, Columns };
} // namespace

RouteListDialog::RouteListDialog(const QList<RouteListEntry>& routes, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("RouteListDialog"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("The file holds several routes. Choose one to load:"), this));

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("RouteList"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setHeaderLabels({QStringLiteral("No."), QStringLiteral("Name"),
                             QStringLiteral("Points"), QStringLiteral("Kind")});
    addEntries(routes);
    m_list->setCurrentItem(m_list->topLevelItem(0));
    layout->addWidget(m_list);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemActivated, this, &QDialog::accept);
    fitToEntries();
}

void RouteListDialog::addEntries(const QList<RouteListEntry>& routes) {
    // Rows as high as the style makes a table's rows, not packed to the text.
    const int rowHeight =
        style()->pixelMetric(QStyle::PM_HeaderDefaultSectionSizeVertical, nullptr, m_list);
    for (const RouteListEntry& route : routes) {
        // Names are the file's bytes; they are shown the way the converter wrote them.
        const bool unnamed = TrimControl(route.name).isEmpty();
        auto* item = new QTreeWidgetItem(
            m_list, {QString::number(route.number),
                     unnamed ? QStringLiteral("(no name)") : DisplayText(route.name),
                     QString::number(route.points), route.kind});
        item->setData(ColNumber, Qt::UserRole, route.number);
        item->setSizeHint(ColNumber, QSize(0, rowHeight));
        if (unnamed)
            item->setForeground(ColName, m_list->palette().brush(QPalette::PlaceholderText));
        item->setTextAlignment(ColNumber, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(ColPoints, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(ColKind, Qt::AlignCenter);
    }
}

// Every column as wide as its entries and header, with room to keep a number apart from
// the next column's text; the dialog as large as the list then needs to show every entry
// whole, up to nine tenths of the screen. Beyond that the list scrolls, and a name too long
// for the room left is cut.
void RouteListDialog::fitToEntries() {
    const QAbstractItemView* view = m_list;
    QHeaderView* header = m_list->header();
    header->setStretchLastSection(false);
    const int gap = m_list->fontMetrics().horizontalAdvance(QLatin1Char('M'));
    int listWidth = 2 * m_list->frameWidth();
    for (int c = 0; c < Columns; ++c) {
        const int width = qMax(view->sizeHintForColumn(c), header->sectionSizeHint(c));
        listWidth += c == ColName ? width : width + gap;
        header->setSectionResizeMode(c, c == ColName ? QHeaderView::Stretch : QHeaderView::Fixed);
        if (c != ColName)
            header->resizeSection(c, width + gap);
    }
    const int listHeight = 2 * m_list->frameWidth() + header->sizeHint().height() +
                           m_list->topLevelItemCount() * view->sizeHintForRow(0);
    // The label and the buttons above and below the list, and the margins beside it.
    const QMargins margins = layout()->contentsMargins();
    const QSize around(margins.left() + margins.right(),
                       sizeHint().height() - m_list->sizeHint().height());
    const QSize room = screen()->availableGeometry().size() * 0.9;
    QSize wanted = QSize(listWidth, listHeight) + around;
    if (wanted.height() > room.height())
        wanted.rwidth() += m_list->verticalScrollBar()->sizeHint().width();
    wanted = wanted.expandedTo(QSize(sizeHint().width(), minimumSizeHint().height()));
    resize(wanted.boundedTo(room));
}

int RouteListDialog::chosenNumber() const {
    const QTreeWidgetItem* chosen = m_list->currentItem();
    return chosen ? chosen->data(ColNumber, Qt::UserRole).toInt() : 0;
}
