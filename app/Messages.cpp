#include "app/Messages.h"

#include <QMessageBox>

#include "app/AppTexts.h"

namespace stela {
namespace {

void showModal(QMessageBox::Icon icon, const QString& text) {
    // No parent: the box is centred on the screen, and it can come up before
    // the main window is shown (the start-up search's notices do).
    QMessageBox box(icon, QString::fromStdString(translateDefault(kApplicationTitle)), text,
                    QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);  // texts may carry bytes from the line
    box.exec();
}

}  // namespace

std::string errorReportText(const std::string& message, const std::string& hint) {
    std::string text = message.empty() ? translateDefault("Неизвестная ошибка") : message;
    if (static_cast<unsigned char>(text.back()) > 0x2E) {
        text += '.';
    }
    return hint.empty() ? text : text + "\n" + hint;
}

void MessageBoxPresenter::notice(const QString& text) {
    showModal(QMessageBox::NoIcon, text);
}

void MessageBoxPresenter::errorReport(const QString& text) {
    showModal(QMessageBox::Critical, text);
}

}  // namespace stela
