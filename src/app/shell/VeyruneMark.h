#pragma once

#include <QColor>
#include <QIcon>
#include <QWidget>

namespace veyrune {

// The Veyrune mark: a shield outline with a heartbeat pulse across it, drawn
// with QPainter at any size. As a widget it shows the mark at its own size.
class VeyruneMark : public QWidget {
  public:
    explicit VeyruneMark(int size, QWidget* parent = nullptr);

    static void paint(QPainter& painter, const QRectF& bounds, const QColor& shieldColor,
                      const QColor& pulseColor);
    // The tray images: a coloured shield while armed, a grey outline otherwise.
    static QIcon trayIcon(bool armed);
    static QIcon applicationIcon();

  protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace veyrune
