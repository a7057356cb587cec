#pragma once

#include <string>

namespace stela::test {

// Points XDG_CONFIG_HOME at a fresh temporary directory for the lifetime of the
// object, and XDG_STATE_HOME at its folder "state", so that no test reads or
// writes the user's own settings or journal, and removes the directory (with
// everything in it) afterwards.
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
    struct Saved {
        const char* name;
        std::string value;
        bool set = false;
    };
    Saved saved_[2] = {{"XDG_CONFIG_HOME", {}}, {"XDG_STATE_HOME", {}}};
};

}  // namespace stela::test
