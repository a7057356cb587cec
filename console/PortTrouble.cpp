#include "console/PortTrouble.h"

#include <cerrno>
#include <initializer_list>

#include "console/DeviceOwners.h"
#include "console/FilledText.h"
#include "console/NetPortTrouble.h"
#include "console/StoreTrouble.h"
#include "i18n/Translate.h"
#include "serial/EComPort.h"
#include "serial/PortNames.h"
#include "serial/net/PortUrl.h"

namespace stela {
namespace {

std::string deviceOf(const std::string& port) {
    const std::string path = devicePathForPort(port);
    return path.empty() ? port : path;
}

std::string noAccess(const std::string& device) {
    const std::string group = deviceGroup(device);
    const std::string joins = group.empty() || group == "root" ? "dialout" : group;
    if (group.empty()) {
        return filled(
            markDefault("Нет доступа к %1. Выполните: sudo usermod -aG %2 $USER, затем выйдите из "
                        "системы и войдите снова."),
            {device, joins});
    }
    return filled(
        markDefault("Нет доступа к %1 (группа %2). Выполните: sudo usermod -aG %3 $USER, затем "
                    "выйдите из системы и войдите снова."),
        {device, group, joins});
}

std::string inUse(const std::string& device) {
    if (const auto holder = deviceHolder(device)) {
        return filled(markDefault("%1 занят программой %2 (pid %3)."),
                      {device, holder->command, std::to_string(holder->pid)});
    }
    return filled(markDefault("%1 занят другой программой."), {device});
}

}  // namespace

std::string openTroubleHint(const std::string& port, int error) {
    if (isPortUrl(deviceOf(port))) {
        return netOpenTroubleHint(deviceOf(port), error);
    }
    switch (error) {
        case EACCES:
        case EPERM:
            return noAccess(deviceOf(port));
        case EBUSY:
            return inUse(deviceOf(port));
        default:
            return {};
    }
}

std::string portTroubleHint(const EComPort& error, const std::string& port) {
    if (const StoreFailure* failure = error.StoreTrouble()) {
        return storeTroubleHint(*failure);
    }
    if (error.Code() == EComPort::kOpenFailed) {
        return openTroubleHint(port, error.SystemCode());
    }
    switch (error.SystemCode()) {
        case EBADF:
            return translateDefault(
                "Порт не открыт: нажмите «Поиск табло» или «Настроить COM - порт.».");
        case EIO:
        case ENXIO:
        case ENODEV:
            return filled(markDefault("Связь с %1 потеряна: адаптер отключён или устройство "
                                      "пропало. Подключите его и "
                                      "нажмите «Поиск табло»."),
                          {deviceOf(port)});
        default:
            return {};
    }
}

}  // namespace stela
