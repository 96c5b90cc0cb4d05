#include "gui/dialogs/AboutPicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace quillmere {

QPixmap drawAboutPicture(QSize size) {
    QPixmap picture(size);
    const qreal w = size.width();
    const qreal h = size.height();
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient dusk(0, 0, 0, h);
    dusk.setColorAt(0.0, QColor(0x1d, 0x2b, 0x53));
    dusk.setColorAt(1.0, QColor(0x3f, 0x6e, 0x8c));
    painter.fillRect(picture.rect(), dusk);

    // The envelope: the list the mail server reads.
    const QRectF envelope(w * 0.15, h * 0.58, w * 0.70, w * 0.46);
    painter.setPen(QPen(QColor(0x1d, 0x2b, 0x53), 2));
    painter.setBrush(QColor(0xf4, 0xf1, 0xe8));
    painter.drawRect(envelope);
    QPainterPath flap;
    flap.moveTo(envelope.topLeft());
    flap.lineTo(envelope.center().x(), envelope.top() + envelope.height() * 0.55);
    flap.lineTo(envelope.topRight());
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(flap);

    // The quill, crossing out a line on the envelope.
    QPainterPath feather;
    feather.moveTo(w * 0.30, h * 0.66);
    feather.cubicTo(w * 0.35, h * 0.35, w * 0.70, h * 0.12, w * 0.86, h * 0.06);
    feather.cubicTo(w * 0.80, h * 0.25, w * 0.55, h * 0.50, w * 0.30, h * 0.66);
    painter.setPen(QPen(QColor(0xe9, 0xb8, 0x4a), 1.5));
    painter.setBrush(QColor(0xfb, 0xe3, 0xa4));
    painter.drawPath(feather);
    painter.setPen(QPen(QColor(0x8a, 0x5a, 0x1c), 1.5));
    painter.drawLine(QPointF(w * 0.26, h * 0.70), QPointF(w * 0.80, h * 0.10));
    painter.setPen(QPen(QColor(0xc0, 0x39, 0x2b), 2));
    painter.drawLine(QPointF(w * 0.28, h * 0.75), QPointF(w * 0.72, h * 0.75));

    painter.setPen(QColor(0xf4, 0xf1, 0xe8));
    QFont font = painter.font();
    font.setPixelSize(static_cast<int>(w * 0.22));
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRectF(0, h * 0.86, w, h * 0.14), Qt::AlignCenter, QStringLiteral("Q"));
    return picture;
}

} // namespace quillmere
