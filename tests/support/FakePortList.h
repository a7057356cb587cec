#pragma once

#include <string>

#include "serial/PortList.h"
#include "tests/support/FakeSerialTree.h"
#include "tests/support/ScopedConfigHome.h"

namespace stela::test {

// A list of present ports made up for a test: on Linux COM links to files in
// the config home `home`, on Windows a SERIALCOMM key of its own below
// HKEY_CURRENT_USER, removed afterwards.
class FakePortList {
public:
    explicit FakePortList(const ScopedConfigHome& home);
    ~FakePortList();
    FakePortList(const FakePortList&) = delete;
    FakePortList& operator=(const FakePortList&) = delete;

    void add(int comNumber);
    // Every port goes: a machine with none.
    void removeAll();
    PortListSources sources() const;
    // A list whose source cannot be read.
    PortListSources unreadable() const;
    // Linux: the fake sysfs and /dev behind the list.
    FakeSerialTree& tree() { return tree_; }

private:
    const ScopedConfigHome& home_;
    FakeSerialTree tree_;
    std::string key_;  // Windows
};

}  // namespace stela::test
