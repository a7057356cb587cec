#include "os/HostName.h"

#include <unistd.h>

namespace stela {

std::string hostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) {
        return {};
    }
    return name;
}

}  // namespace stela
