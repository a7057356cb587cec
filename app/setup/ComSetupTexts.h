#pragma once

#include <string>

#include "i18n/Translate.h"

namespace stela {

// The port setup dialog's texts in the operator's language ("cport" domain);
// English as written when no catalogue translates them. The dialog takes
// them as it is created: `const ComSetupTexts texts = comSetupTexts();`.
// Its combo boxes' items are never translated.
struct ComSetupTexts {
    std::string caption;
    std::string group;
    std::string port;
    std::string baudRate;
    std::string dataBits;
    std::string stopBits;
    std::string parity;
    std::string flowControl;
    std::string ok;
    std::string cancel;
};

inline ComSetupTexts comSetupTexts() {
    return {
        translateCport("Setup"),     translateCport(" Settings "),   translateCport("Port"),
        translateCport("Baud rate"), translateCport("Data bits"),    translateCport("Stop bits"),
        translateCport("Parity"),    translateCport("Flow control"), translateCport("OK"),
        translateCport("Cancel"),
    };
}

}  // namespace stela
