#include "app/QtDialogs.h"

#include <QFileDialog>
#include <QMessageBox>

// The dialogs have no parent window: Qt then centres them on the screen, and they are
// modal to the whole application.

QString QtDialogs::getOpenFileName(const QString& filter) {
    // No caption, folder or file name is proposed; the chosen file must exist.
    return QFileDialog::getOpenFileName(nullptr, QString(), QString(), filter);
}

QString QtDialogs::getSaveFileName(const QString& proposedName, const QString& filter) {
    // QFileDialog asks before an existing file is replaced unless told not to.
    return QFileDialog::getSaveFileName(nullptr, QString(), proposedName, filter);
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
