#include "store/ConfigDirectory.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace stela {
namespace {

// Sets or unsets one variable for the test's lifetime.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
            had_ = true;
        }
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedVariable() { had_ ? setenv(name_, old_.c_str(), 1) : unsetenv(name_); }

private:
    const char* name_;
    std::string old_;
    bool had_ = false;
};

// The XDG base-directory rules: an absolute XDG_* value, else below the home,
// which comes from the password database when HOME is unset.
TEST(ConfigDirectory, FollowsTheBaseDirectoryRules) {
    const std::string passwdHome = getpwuid(getuid())->pw_dir;
    struct Case {
        const char* home;
        const char* configHome;
        const char* stateHome;
        std::string config, state;
    };
    const Case cases[] = {
        {"/h", "/c", "/s", "/c/stela", "/s/stela"},
        {"/h", nullptr, nullptr, "/h/.config/stela", "/h/.local/state/stela"},
        {"/h", "", "", "/h/.config/stela", "/h/.local/state/stela"},
        {"/h", "relative/c", "./s", "/h/.config/stela", "/h/.local/state/stela"},
        {nullptr, nullptr, nullptr, passwdHome + "/.config/stela",
         passwdHome + "/.local/state/stela"},
        {"", "/c", nullptr, "/c/stela", passwdHome + "/.local/state/stela"},
    };
    for (const Case& c : cases) {
        ScopedVariable home("HOME", c.home);
        ScopedVariable config("XDG_CONFIG_HOME", c.configHome);
        ScopedVariable state("XDG_STATE_HOME", c.stateHome);
        EXPECT_EQ(configDirectory(), c.config);
        EXPECT_EQ(stateDirectory(), c.state);
    }
}

}  // namespace
}  // namespace stela
