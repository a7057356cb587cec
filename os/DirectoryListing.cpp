#include "os/DirectoryListing.h"

#include <dirent.h>

#include <cerrno>
#include <memory>

namespace stela {

int listDirectory(const std::string& directory, std::vector<std::string>& names) {
    names.clear();
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(directory.c_str()), &::closedir);
    if (!dir) {
        return errno;
    }
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (entry == nullptr) {
            return errno;
        }
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
}

std::vector<std::string> directoryNames(const std::string& directory) {
    std::vector<std::string> names;
    listDirectory(directory, names);
    return names;
}

}  // namespace stela
