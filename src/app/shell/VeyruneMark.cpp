#include "app/shell/VeyruneMark.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace veyrune {

namespace {

const QColor kShieldArmed{0x1f, 0x6f, 0xeb};
const QColor kPulseArmed{0xff, 0xff, 0xff};
const QColor kShieldIdle{0x8a, 0x8f, 0x98};

// The shield on a 100 × 100 design grid.
QPainterPath shieldPath() {
    QPainterPath path;
    path.moveTo(50, 4);
    path.lineTo(88, 18);
    path.cubicTo(88, 58, 74, 82, 50, 96);
    path.cubicTo(26, 82, 12, 58, 12, 18);
    path.closeSubpath();
    return path;
}

QPainterPath pulsePath() {
    QPainterPath path;
    path.moveTo(18, 52);
    path.lineTo(36, 52);
    path.lineTo(43, 34);
    path.lineTo(53, 70);
    path.lineTo(60, 46);
    path.lineTo(66, 52);
    path.lineTo(82, 52);
    return path;
}

QPixmap markPixmap(int size, bool armed) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (armed) {
        VeyruneMark::paint(painter, QRectF(0, 0, size, size), kShieldArmed, kPulseArmed);
    } else {
        painter.scale(size / 100.0, size / 100.0);
        painter.setPen(QPen(kShieldIdle, 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(shieldPath());
        painter.drawPath(pulsePath());
    }
    return pixmap;
}

}  // namespace

VeyruneMark::VeyruneMark(int size, QWidget* parent) : QWidget(parent) {
    setFixedSize(size, size);
    setAccessibleName(QStringLiteral("Veyrune mark"));
}

void VeyruneMark::paint(QPainter& painter, const QRectF& bounds, const QColor& shieldColor,
                        const QColor& pulseColor) {
    painter.save();
    painter.translate(bounds.topLeft());
    painter.scale(bounds.width() / 100.0, bounds.height() / 100.0);
    painter.fillPath(shieldPath(), shieldColor);
    painter.setPen(QPen(pulseColor, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(pulsePath());
    painter.restore();
}

QIcon VeyruneMark::trayIcon(bool armed) {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) {
        icon.addPixmap(markPixmap(size, armed));
    }
    return icon;
}

QIcon VeyruneMark::applicationIcon() {
    return trayIcon(true);
}

void VeyruneMark::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter, QRectF(rect()), kShieldArmed, kPulseArmed);
}

}  // namespace veyrune
