// What the window says below "Failed to store settings" on Windows: the
// registry key, and for HKEY_LOCAL_MACHINE without an administrator, how to get one.
#include "diagnostics/StoreTrouble.h"

#include <gtest/gtest.h>

#include "os/SystemErrorText.h"
#include "store/RegistryKey.h"

namespace stela {
namespace {

std::string sentence(int error) {
    std::string text = systemErrorText(error);
    return text.substr(0, text.find_last_not_of('.') + 1);
}

TEST(StoreTroubleWin, NamesTheKeyAndTheWayToWriteIt) {
    const std::string key = "HKEY_LOCAL_MACHINE\\Software\\ORVENA\\ComPort";
    const std::string applied = ". Выбранные настройки порта применены, но не сохранены.";
    const struct {
        StoreFailure failure;
        std::string hint;
    } cases[] = {
        {{StoreFailure::Kind::System, 5, key, {}},
         "Раздел реестра " + key +
             " может изменить только администратор: запустите stela от имени администратора" +
             applied},
        // The system's own sentence, without its full stop.
        {{StoreFailure::Kind::System, 5, "HKEY_CURRENT_USER\\Software\\X", {}},
         "Раздел реестра HKEY_CURRENT_USER\\Software\\X: " + sentence(5) + applied},
        {{StoreFailure::Kind::System, 1009, key, {}},
         "Раздел реестра " + key + ": " + sentence(1009) + applied},
        {{StoreFailure::Kind::Unstorable, 123, "HKEY_CURRENT_USER\\A\\\\B", {}},
         "Раздел реестра HKEY_CURRENT_USER\\A\\\\B: такое имя раздела недопустимо" + applied},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(storeTroubleHint(c.failure), c.hint);
    }
}

}  // namespace
}  // namespace stela
