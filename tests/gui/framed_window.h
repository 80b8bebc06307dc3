#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QRect>
#include <QWidget>

// Screenshots taken offscreen have no window manager's frame: a plain title
// bar drawn above the window shows its caption as a person would see it.
inline constexpr int FramedTitleHeight = 24;

inline QImage Framed(QWidget& window)
{
    const QPixmap content = window.grab();
    QImage image(content.width() + 2, content.height() + FramedTitleHeight + 1, QImage::Format_RGB32);
    image.fill(QColor(90, 110, 140));
    QPainter p(&image);
    p.setPen(Qt::white);
    QFont font = p.font();
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRect(8, 0, image.width() - 16, FramedTitleHeight), Qt::AlignVCenter | Qt::AlignLeft,
        window.windowTitle());
    p.drawPixmap(1, FramedTitleHeight, content);
    return image;
}
