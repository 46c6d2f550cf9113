// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/QtDialogs.h"

#include "app/RouteListDialog.h"
#include "route/Messages.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

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

namespace {

// A message box is as wide as its headline, and wraps the text under it to that width; the
// reason and the way forward would be a narrow column under a short headline. Their column
// is made as wide as their longest line, up to the width at which the box wraps a headline.
void widenForText(QMessageBox& box, const QString& text) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (text.isEmpty())
        return;
    QLabel* label = nullptr;
    for (QLabel* candidate : box.findChildren<QLabel*>())
        if (candidate->text() == text)
            label = candidate;
    if (!grid || !label || grid->indexOf(label) < 0)
        return;
    int row = 0, column = 0, rows = 0, columns = 0;
    grid->getItemPosition(grid->indexOf(label), &row, &column, &rows, &columns);
    const QFontMetrics metrics(label->font());
    int width = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        width = qMax(width, metrics.horizontalAdvance(line) + 1);
    const int wrapWidth = qMin(box.screen()->availableGeometry().width() / 2, 500);
    grid->addItem(new QSpacerItem(qMin(width, wrapWidth), 0), grid->rowCount(), column, 1, columns);
}

} // namespace

void QtDialogs::refusal(const Refusal& refusal) {
    QMessageBox box(QMessageBox::NoIcon, m_title, refusal.headline, QMessageBox::Ok);
    box.setInformativeText(refusal.explanation());
    widenForText(box, refusal.explanation());
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
