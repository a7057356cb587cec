#include "tests/support/ScopedConfigHome.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace stela::test {

ScopedConfigHome::ScopedConfigHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "stela-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
    for (Saved& saved : saved_) {
        if (const char* old = std::getenv(saved.name)) {
            saved.value = old;
            saved.set = true;
        }
    }
    setenv("XDG_CONFIG_HOME", path_.c_str(), 1);
    setenv("XDG_STATE_HOME", (path_ + "/state").c_str(), 1);
}

ScopedConfigHome::~ScopedConfigHome() {
    for (const Saved& saved : saved_) {
        if (saved.set) {
            setenv(saved.name, saved.value.c_str(), 1);
        } else {
            unsetenv(saved.name);
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void ScopedConfigHome::linkCom(int number, const std::string& target) const {
    // Where the program looks for the links, written out here so that the
    // suites also check that it looks there.
    const std::filesystem::path dir = path_ + "/stela/dosdevices";
    std::filesystem::create_directories(dir);
    const auto link = dir / ("com" + std::to_string(number));
    std::error_code ignored;
    std::filesystem::remove(link, ignored);
    std::filesystem::create_symlink(target, link);
}

}  // namespace stela::test
