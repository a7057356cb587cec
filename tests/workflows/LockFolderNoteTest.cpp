#include <algorithm>

#include "tests/workflows/ConsoleFixture.h"

namespace stela {
namespace {

using Lines = std::vector<std::string>;

class LockFolderNoteTest : public test::ConsoleTest {};

// A port held by flock alone is told once, before the first exchange on it.
TEST_F(LockFolderNoteTest, APortWithoutALockFileIsToldOnceInTheLog) {
    const std::string note =
        "Файл блокировки порта не создан (/var/lock: Read-only file system): другие программы "
        "(minicom и т. п.) не увидят, что порт занят.";
    connectSign();
    console.effect(0);
    EXPECT_EQ(observer.log, Lines{"Отправлено:0"});

    sim.device->setLockFolderTrouble("/var/lock: Read-only file system");
    console.effect(0);
    console.readPrices();
    console.automaticBrightness();
    EXPECT_EQ(Lines(observer.log.begin() + 1, observer.log.begin() + 3),
              (Lines{note, "Отправлено:0"}));
    EXPECT_EQ(std::count(observer.log.begin(), observer.log.end(), note), 1);
}

}  // namespace
}  // namespace stela
