#include "cli/PortError.h"

#include <cerrno>
#include <cstring>
#ifdef __GLIBC__
#include <netdb.h>
#endif

#include "diagnostics/PortTrouble.h"
#include "i18n/Translate.h"
#include "serial/EComPort.h"

namespace stela::cli {
namespace {

// "EBUSY, Device or resource busy"; "" for a number the system has no name for.
std::string systemError(int error, bool lookup) {
#ifdef __GLIBC__
    // The network device gives the resolver's failures as these numbers.
    if (lookup && error == ENOENT) {
        return "EAI_NONAME, " + translateSystem(gai_strerror(EAI_NONAME));
    }
    if (lookup && error == EAGAIN) {
        return "EAI_AGAIN, " + translateSystem(gai_strerror(EAI_AGAIN));
    }
    const char* name = strerrorname_np(error);
    const char* meaning = strerrordesc_np(error);
    if (name != nullptr && meaning != nullptr) {
        return std::string(name) + ", " + translateSystem(meaning);
    }
#else
    (void)error, (void)lookup;
#endif
    return {};
}

}  // namespace

std::string portErrorText(const EComPort& error, const PortAddress& port) {
    const bool lookup = port.isNetwork() && endedOpen(error, port);
    const std::string system =
        error.SystemCode() == -1 ? "" : systemError(error.SystemCode(), lookup);
    if (system.empty()) {
        return error.what();
    }
    return translateCport(EComPort::CodeText(error.Code())) + " (" + system + ")";
}

}  // namespace stela::cli
