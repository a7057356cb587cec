#pragma once

#include <string>

namespace stela::test {

// Points XDG_CONFIG_HOME at a fresh temporary directory for the lifetime of the
// object, so that no test reads or writes the user's own settings, and removes
// the directory (with everything in it) afterwards.
class ScopedConfigHome {
public:
    ScopedConfigHome();
    ~ScopedConfigHome();
    ScopedConfigHome(const ScopedConfigHome&) = delete;
    ScopedConfigHome& operator=(const ScopedConfigHome&) = delete;

    const std::string& path() const { return path_; }

    // Makes COM<number> stand for `target` through the dosdevices override link.
    void linkCom(int number, const std::string& target) const;

private:
    std::string path_;
    std::string saved_;
    bool hadSaved_ = false;
};

}  // namespace stela::test
