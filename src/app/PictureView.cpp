// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PictureView.h"

#include <QMouseEvent>
#include <QPainter>

void PictureView::setImage(const QImage& image) {
    m_image = image;
    update();
}

void PictureView::setStretch(bool stretch) {
    m_stretch = stretch;
    update();
}

void PictureView::paintEvent(QPaintEvent*) {
    if (m_image.isNull())
        return;
    QPainter painter(this);
    if (m_stretch)
        painter.drawImage(rect(), m_image);
    else
        painter.drawImage(QPoint(0, 0), m_image);
}

void PictureView::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit mousePressed(at.x(), at.y());
}
