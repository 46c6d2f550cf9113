// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/QtDialogs.h"

#include "app/RouteListDialog.h"
#include "route/Messages.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

// The dialogs have no parent window: Qt then centres them on the screen, and they are
// modal to the whole application.

QString QtDialogs::getOpenFileName(const QString& filter) {
    // No caption or file name is proposed; the chosen file must exist.
    const QString path = QFileDialog::getOpenFileName(nullptr, QString(), m_folder, filter);
    if (!path.isEmpty())
        useFolderOf(path);
    return path;
}

QString QtDialogs::getSaveFileName(const QString& proposedName, const QString& filter) {
    // The window asks itself before an existing file is replaced, saying more than the
    // file dialog could, so the dialog's own question is turned off.
    const QString proposed = m_folder.isEmpty() ? proposedName : m_folder + u'/' + proposedName;
    const QString path = QFileDialog::getSaveFileName(nullptr, QString(), proposed, filter, nullptr,
                                                      QFileDialog::DontConfirmOverwrite);
    if (!path.isEmpty())
        useFolderOf(path);
    return path;
}

void QtDialogs::useFolderOf(const QString& path) {
    m_folder = QFileInfo(path).absolutePath();
}

void QtDialogs::message(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, m_title, text, QMessageBox::Ok);
    box.exec();
}

void QtDialogs::refusal(const Refusal& refusal) {
    QMessageBox box(QMessageBox::NoIcon, m_title, refusal.headline, QMessageBox::Ok);
    box.setInformativeText(refusal.explanation());
    if (!refusal.details.isEmpty())
        box.setDetailedText(refusal.details);
    // Return closes the box; it would otherwise go to the details button.
    box.setDefaultButton(QMessageBox::Ok);
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
    // Y and N answer as the buttons' mnemonics; Return is Yes and Escape No.
    QMessageBox box(QMessageBox::Question, m_title, text, QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

int QtDialogs::chooseRoute(const QList<RouteListEntry>& routes) {
    RouteListDialog dialog(routes);
    dialog.setWindowTitle(m_title);
    return dialog.exec() == QDialog::Accepted ? dialog.chosenNumber() : 0;
}
