#include <QApplication>
#include <QDialog>

#include "app/TerminationSignals.h"

// What the window does once a termination signal has come, on any system.
namespace stela {

void TerminationSignals::deliver() {
    onSignal_(received());
}

void closeAsTheCloseBoxDoes(QWidget& window) {
    // Dismissed as Cancel or OK would: the workflow that showed it goes on to
    // its next safe point and stops there, the window closing.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(widget);
        if (dialog != nullptr && dialog->isVisible() && dialog->isModal()) {
            dialog->reject();
        }
    }
    window.close();
}

}  // namespace stela
