#include <windows.h>

#include "diagnostics/StoreTrouble.h"
#include "i18n/FilledText.h"
#include "i18n/Translate.h"
#include "os/SystemErrorText.h"
#include "store/RegistryKey.h"

namespace stela {
namespace {

std::string whatIsWrong(const StoreFailure& failure) {
    // HKEY_LOCAL_MACHINE, where the port setup stores, takes writes only from a
    // program an administrator started.
    const bool localMachine = failure.path.rfind("HKEY_LOCAL_MACHINE\\", 0) == 0;
    if (failure.kind == StoreFailure::Kind::System && failure.error == ERROR_ACCESS_DENIED &&
        localMachine) {
        return filled(markDefault("%1 может изменить только администратор: запустите stela от "
                                  "имени администратора"),
                      {failure.path});
    }
    if (failure.kind == StoreFailure::Kind::Unstorable) {
        return filled(markDefault("%1: такое имя раздела недопустимо"), {failure.path});
    }
    std::string text = failure.path + ": " + systemErrorText(failure.error);
    if (text.back() == '.') {
        text.pop_back();  // the system's sentence goes on in ours
    }
    return text;
}

}  // namespace

// On Windows the settings go to the registry itself: the hint names the key.
std::string storeTroubleHint(const StoreFailure& failure) {
    return filled(markDefault("Раздел реестра %1. Выбранные настройки порта применены, но не "
                              "сохранены."),
                  {whatIsWrong(failure)});
}

}  // namespace stela
