// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RouteListDialog.h"

#include "route/DeviceText.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

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
    m_list->setHeaderLabels(
        {QStringLiteral("Name"), QStringLiteral("Points"), QStringLiteral("Kind")});
    for (const RouteListEntry& route : routes) {
        // Names are the file's bytes; they are shown the way the converter wrote them.
        auto* item = new QTreeWidgetItem(
            m_list, {DisplayText(route.name), QString::number(route.points), route.kind});
        item->setData(0, Qt::UserRole, route.number);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(2, Qt::AlignCenter);
    }
    m_list->setCurrentItem(m_list->topLevelItem(0));
    m_list->header()->setStretchLastSection(false);
    // Counts are right-aligned and kinds centred, so a little room keeps the two apart.
    m_list->header()->setMinimumSectionSize(64);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_list->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    layout->addWidget(m_list);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemActivated, this, &QDialog::accept);
    resize(400, 260);
}

int RouteListDialog::chosenNumber() const {
    const QTreeWidgetItem* chosen = m_list->currentItem();
    return chosen ? chosen->data(0, Qt::UserRole).toInt() : 0;
}
