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
    press(&Console::effect);
    EXPECT_EQ(view.logSince(2), Lines{"Отправлено:0"});

    sim.device->setLockFolderTrouble("/var/lock: Read-only file system");
    press(&Console::effect);
    press(&Console::readPrices);
    press(&Console::automaticBrightness);
    EXPECT_EQ(Lines(view.log.begin() + 3, view.log.begin() + 5), (Lines{note, "Отправлено:0"}));
    EXPECT_EQ(std::count(view.log.begin(), view.log.end(), note), 1);
}

}  // namespace
}  // namespace stela
