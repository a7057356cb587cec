#include "tests/support/FakePortList.h"

#include <filesystem>

#include "serial/PortNames.h"

namespace stela::test {

FakePortList::FakePortList(const ScopedConfigHome& home)
    : home_(home), tree_(home.path() + "/tree") {}

FakePortList::~FakePortList() = default;

void FakePortList::add(int comNumber) {
    home_.linkCom(comNumber, tree_.addFile("pts/" + std::to_string(comNumber)));
}

void FakePortList::removeAll() {
    std::filesystem::remove_all(dosdevicesDirectory());
}

PortListSources FakePortList::sources() const {
    return tree_.sources();
}

PortListSources FakePortList::unreadable() const {
    PortListSources broken = sources();
    broken.sysfs = home_.path() + "/missing";
    return broken;
}

}  // namespace stela::test
