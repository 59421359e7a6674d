// SPDX-License-Identifier: GPL-3.0-or-later
// A picture box: a surface that keeps what was drawn on it until it is cleared.
#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>

class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);

    // Clears the picture to its background colour.
    void Cls();
    // A filled box from (x1, y1) to (x2, y2); parts outside the picture are cut off.
    void fillBox(int x1, int y1, int x2, int y2, const QColor &color);
    const QImage &image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void fitImage();
    QImage m_image;
};

// The mini window's volume picture, once the mini window has been built; the main-zone volume
// display draws its bar there.
PictureBox *miniVolumePicture();
void setMiniVolumePicture(PictureBox *picture);
