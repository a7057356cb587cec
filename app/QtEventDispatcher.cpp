#include "app/QtEventDispatcher.h"

#include <QMetaObject>

namespace stela {

void QtEventDispatcher::post(std::function<void()> call) {
    QMetaObject::invokeMethod(&receiver_, std::move(call), Qt::QueuedConnection);
}

}  // namespace stela
