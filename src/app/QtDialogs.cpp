// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/QtDialogs.h"

#include "app/RouteListDialog.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

// The dialogs have no parent window: Qt then centres them on the screen, and they are
// modal to the whole application.

QString QtDialogs::getOpenFileName(const QString& filter) {
    // No caption, folder or file name is proposed; the chosen file must exist.
    return QFileDialog::getOpenFileName(nullptr, QString(), QString(), filter);
}

QString QtDialogs::getSaveFileName(const QString& proposedName, const QString& filter) {
    // The window asks itself before an existing file is replaced, saying more than the
    // file dialog could, so the dialog's own question is turned off.
    return QFileDialog::getSaveFileName(nullptr, QString(), proposedName, filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

void QtDialogs::message(const QString& text, const QString& details) {
    QMessageBox box(QMessageBox::NoIcon, m_title, text, QMessageBox::Ok);
    if (!details.isEmpty())
        box.setDetailedText(details);
    box.exec();
}

void QtDialogs::errorReport(const QString& text) {
    QMessageBox box(QMessageBox::Critical, m_title, text, QMessageBox::Ok);
    box.exec();
}

bool QtDialogs::confirm(const QString& text, const QString& acceptText) {
    QMessageBox box(QMessageBox::Warning, m_title, text, QMessageBox::Cancel);
    QPushButton* accept = box.addButton(acceptText, QMessageBox::AcceptRole);
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == accept;
}

bool QtDialogs::askYesNo(const QString& text) {
    QMessageBox box(QMessageBox::Question, m_title, text, QMessageBox::Yes | QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

int QtDialogs::chooseRoute(const QList<RouteListEntry>& routes) {
    RouteListDialog dialog(routes);
    dialog.setWindowTitle(m_title);
    return dialog.exec() == QDialog::Accepted ? dialog.chosenNumber() : 0;
}
