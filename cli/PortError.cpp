#include "cli/PortError.h"

#include <cstring>
#ifdef __GLIBC__
#include <netdb.h>
#endif

#include "i18n/Translate.h"
#include "serial/EComPort.h"

namespace stela::cli {
namespace {

// "EBUSY, Device or resource busy"; "" for a number the system has no name for.
std::string systemError(const EComPort& error) {
#ifdef __GLIBC__
    // The resolver's failures are its own, not the numbers they travel as.
    if (error.Kind() == FailureKind::HostNotFound) {
        return std::string("EAI_NONAME, ") + gai_strerror(EAI_NONAME);
    }
    if (error.Kind() == FailureKind::NameServerSilent) {
        return std::string("EAI_AGAIN, ") + gai_strerror(EAI_AGAIN);
    }
    const char* name = strerrorname_np(error.SystemCode());
    const char* meaning = strerrordesc_np(error.SystemCode());
    if (name != nullptr && meaning != nullptr) {
        return std::string(name) + ", " + meaning;
    }
#else
    (void)error;
#endif
    return {};
}

}  // namespace

std::string portErrorText(const EComPort& error) {
    const std::string system = error.SystemCode() == -1 ? "" : systemError(error);
    if (system.empty()) {
        return error.what();
    }
    return translateCport(EComPort::CodeText(error.Code())) + " (" + system + ")";
}

}  // namespace stela::cli
