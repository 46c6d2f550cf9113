// SPDX-License-Identifier: GPL-3.0-or-later
// A picture control: shows a QImage, either stretched to the control's size or one to
// one from the top-left corner, and reports mouse presses in the control's own pixels.
#pragma once

#include <QImage>
#include <QWidget>

class PictureView : public QWidget {
    Q_OBJECT
public:
    explicit PictureView(QWidget* parent = nullptr) : QWidget(parent) {}

    const QImage& image() const { return m_image; }
    void setImage(const QImage& image);
    void setStretch(bool stretch);

signals:
    void mousePressed(int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QImage m_image;
    bool m_stretch = false;
};
