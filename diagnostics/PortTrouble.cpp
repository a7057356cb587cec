#include "diagnostics/PortTrouble.h"

#include "diagnostics/NetPortTrouble.h"
#include "diagnostics/StoreTrouble.h"
#include "i18n/FilledText.h"
#include "i18n/Translate.h"
#include "serial/DeviceOwners.h"
#include "serial/EComPort.h"
#include "serial/PortNames.h"

namespace stela {
namespace {

// Joining the device's group helps only where the group is there to give users
// serial ports and may read and write this one; root's group, say, is not.
bool groupGivesAccess(const DeviceAccess& access) {
    const bool serialGroup =
        access.group == "dialout" || access.group == "uucp" || access.group == "tty";
    return serialGroup && (access.mode & 060) == 060;
}

std::string noAccess(const std::string& device) {
    const auto access = deviceAccess(device);
    if (!access) {
        return filled(
            markDefault("Нет доступа к %1: доступ должен дать администратор или правило udev."),
            {device});
    }
    if (groupGivesAccess(*access)) {
        return filled(
            markDefault("Нет доступа к %1 (группа %2). Выполните: sudo usermod -aG %3 $USER, затем "
                        "выйдите из системы и войдите снова."),
            {device, access->group, access->group});
    }
    return filled(markDefault("Нет доступа к %1 (владелец %2, группа %3, права %4): доступ должен "
                              "дать администратор или правило udev."),
                  {device, access->owner, access->group, modeText(access->mode)});
}

std::string inUse(const std::string& device) {
    const auto holder = deviceHolder(device);
    if (!holder) {
        return filled(markDefault("%1 занят другой программой."), {device});
    }
    const std::string pid = std::to_string(holder->pid);
    if (holder->how == DeviceHolder::How::Open) {
        return filled(markDefault("%1 занят другой программой; он открыт в %2 (pid %3)."),
                      {device, holder->command, pid});
    }
    if (holder->pid == 0) {
        return filled(markDefault("%1 помечен занятым файлом %2, в котором нет номера процесса; "
                                  "удалите этот файл, если порт никто не использует."),
                      {device, holder->lockPath});
    }
    if (holder->command.empty()) {
        return filled(markDefault("%1 занят процессом с pid %2 (файл блокировки %3)."),
                      {device, pid, holder->lockPath});
    }
    return filled(markDefault("%1 занят программой %2 (pid %3)."), {device, holder->command, pid});
}

// A name that stands for no device, or for one that is not there.
std::string noDevice(const PortAddress& port) {
    if (port.name().empty()) {
        return {};  // no port chosen: the error says enough
    }
    if (port.device().empty() && port.comNumber() != 0) {
        return filled(
            markDefault("За %1 не стоит никакое устройство: свяжите его с устройством "
                        "ссылкой %2."),
            {port.name(), dosdevicesDirectory() + "/com" + std::to_string(port.comNumber())});
    }
    return filled(markDefault("Устройства %1 нет: адаптер не подключён или получил другое имя."),
                  {port.label()});
}

}  // namespace

std::string openTroubleHint(const PortAddress& port, FailureKind kind) {
    if (port.isNetwork()) {
        return netOpenTroubleHint(port, kind);
    }
    switch (kind) {
        case FailureKind::Missing:
            return noDevice(port);
        case FailureKind::NoAccess:
            return noAccess(port.deviceOrName());
        case FailureKind::InUse:
            return inUse(port.deviceOrName());
        default:
            return {};
    }
}

// Only its first line settings, within the open's time, time a network port out.
bool endedOpen(const EComPort& error, const PortAddress& port) {
    return error.Code() == EComPort::kOpenFailed ||
           (port.isNetwork() && error.Kind() == FailureKind::TimedOut);
}

std::string settingsTroubleHint(const PortAddress& port, FailureKind kind) {
    return port.isNetwork() ? netSettingsTroubleHint(port, kind) : "";
}

std::string portTroubleHint(const EComPort& error, const PortAddress& port,
                            const PortLossWords& words) {
    if (const StoreFailure* failure = error.StoreTrouble()) {
        return storeTroubleHint(*failure);
    }
    if (endedOpen(error, port)) {
        return openTroubleHint(port, error.Kind());
    }
    if (error.Code() == EComPort::kLineSettingsFailed) {
        return settingsTroubleHint(port, error.Kind());
    }
    switch (error.Kind()) {
        case FailureKind::NotOpen:
            return words.notOpen();
        case FailureKind::Gone:
            return words.lost(port);
        default:
            return {};
    }
}

std::string portTroubleHint(const EComPort& error, const PortAddress& port) {
    const PortLossWords window = {
        [] {
            return translateDefault(
                "Порт не открыт: нажмите «Поиск табло» или «Настроить COM - порт.».");
        },
        [](const PortAddress& lost) {
            return filled(markDefault("Связь с %1 потеряна: адаптер отключён или устройство "
                                      "пропало. Подключите его и "
                                      "нажмите «Поиск табло»."),
                          {lost.deviceOrName()});
        },
    };
    return portTroubleHint(error, port, window);
}

}  // namespace stela
