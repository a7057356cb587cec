#pragma once

#include <QString>
#include <string>

namespace stela {

// The error report's text: the message with a full stop appended when its last
// byte is above '.' (0x2E), so after a letter or digit (the last byte of a
// UTF-8 Cyrillic letter included) but not after '.', '!' or ')'. A message
// that says nothing is reported as an unknown error. A hint, when there is
// one, follows on a line of its own.
std::string errorReportText(const std::string& message, const std::string& hint = {});

// How the window shows notices and error reports. The window owns one; tests
// put in a recorder so that no modal box blocks them.
class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    virtual void notice(const QString& text) = 0;
    virtual void errorReport(const QString& text) = 0;
};

// Modal message boxes centred on the screen, captioned with the application
// title, with one OK button; the error report carries the error icon.
class MessageBoxPresenter final : public MessagePresenter {
public:
    void notice(const QString& text) override;
    void errorReport(const QString& text) override;
};

}  // namespace stela
