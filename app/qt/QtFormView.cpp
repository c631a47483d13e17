#include "QtFormView.h"

#include <QScreen>
#include <QWidget>

namespace ovena {

void centreOnScreen(QWidget* window, const QSize& size) {
    if (QScreen* screen = window->screen())
        window->move(screen->availableGeometry().center() -
                     QPoint(size.width() / 2, size.height() / 2));
}

} // namespace ovena
