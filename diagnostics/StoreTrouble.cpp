#include "diagnostics/StoreTrouble.h"

#include "i18n/FilledText.h"
#include "i18n/Translate.h"
#include "os/SystemErrorText.h"
#include "store/RegistryKey.h"

namespace stela {
namespace {

const char* problemText(RegFile::ParseFailure::Problem problem) {
    using Problem = RegFile::ParseFailure::Problem;
    switch (problem) {
        case Problem::Encoding:
            return markDefault("текст в UTF-16 испорчен");
        case Problem::Header:
            return markDefault(
                "нет заголовка «Windows Registry Editor Version 5.00» или «REGEDIT4»");
        case Problem::Nul:
            return markDefault("нулевой байт в строке");
        case Problem::Key:
            return markDefault("непонятное имя раздела в [ ]");
        case Problem::ValueOutsideKey:
            return markDefault("значение до первого раздела [ ]");
        case Problem::Value:
            return markDefault("непонятная строка значения");
        case Problem::UnfinishedHex:
            return markDefault("список hex: оборван в конце файла");
    }
    return "";
}

std::string whatIsWrong(const StoreFailure& failure) {
    switch (failure.kind) {
        case StoreFailure::Kind::NotRegularFile:
            return filled(markDefault("%1 — не обычный файл; удалите или переименуйте его"),
                          {failure.path});
        case StoreFailure::Kind::ReadOnlyFile:
            return filled(markDefault("%1 только для чтения; разрешите запись (chmod u+w) или "
                                      "оставьте как есть"),
                          {failure.path});
        case StoreFailure::Kind::Unreadable:
            if (failure.parse.line > 0) {
                return filled(markDefault("%1, строка %2: %3; файл не перезаписан, исправьте "
                                          "или удалите его"),
                              {failure.path, std::to_string(failure.parse.line),
                               translateDefault(problemText(failure.parse.problem))});
            }
            return filled(markDefault("%1: %2; файл не перезаписан, исправьте или удалите его"),
                          {failure.path, translateDefault(problemText(failure.parse.problem))});
        case StoreFailure::Kind::Unstorable:
            return filled(markDefault("%1: настройки не умещаются в формат файла"), {failure.path});
        case StoreFailure::Kind::System:
            break;
    }
    return failure.path + ": " + systemErrorText(failure.error);
}

}  // namespace

std::string storeTroubleHint(const StoreFailure& failure) {
    return filled(markDefault("Файл настроек %1. Выбранные настройки порта применены, но не "
                              "сохранены."),
                  {whatIsWrong(failure)});
}

}  // namespace stela
