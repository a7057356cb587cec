#include "app/PylonIcon.h"

#include <QPainter>
#include <QPixmap>

namespace stela {
namespace {

QPixmap drawPylon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);

    // Post and foot.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 90, 96));
    p.drawRect(QRectF(14, 26, 4, 4));
    p.drawRect(QRectF(9, 29.5, 14, 2));

    // The board, with the maker's red band on top.
    p.setBrush(QColor(30, 60, 140));
    p.drawRoundedRect(QRectF(6, 1, 20, 26), 2, 2);
    p.setBrush(QColor(210, 30, 30));
    p.drawRect(QRectF(7, 2, 18, 4));

    // Three price panels: dark faces with lit digits.
    const QColor digits[] = {QColor(255, 60, 40), QColor(60, 255, 60), QColor(255, 200, 40)};
    for (int i = 0; i < 3; ++i) {
        const qreal top = 8 + i * 6;
        p.setBrush(Qt::black);
        p.drawRect(QRectF(8, top, 16, 5));
        p.setBrush(digits[i]);
        for (int d = 0; d < 4; ++d) {
            const qreal left = 9.5 + d * 3.5 + (d >= 2 ? 0.5 : 0);
            p.drawRect(QRectF(left, top + 1, 2.4, 3));
        }
    }
    return pixmap;
}

}  // namespace

QIcon pylonIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        icon.addPixmap(drawPylon(size));
    }
    return icon;
}

}  // namespace stela
