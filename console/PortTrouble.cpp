#include "console/PortTrouble.h"

#include <cerrno>

#include "serial/DeviceOwners.h"
#include "serial/EComPort.h"
#include "serial/PortNames.h"

namespace stela {
namespace {

std::string deviceOf(const std::string& port) {
    const std::string path = devicePathForPort(port);
    return path.empty() ? port : path;
}

std::string noAccess(const std::string& device) {
    const std::string group = deviceGroup(device);
    const std::string joins = group.empty() || group == "root" ? "dialout" : group;
    return "Нет доступа к " + device + (group.empty() ? "" : " (группа " + group + ")") +
           ". Выполните: sudo usermod -aG " + joins +
           " $USER, затем выйдите из системы и войдите снова.";
}

std::string inUse(const std::string& device) {
    if (const auto holder = deviceHolder(device)) {
        return device + " занят программой " + holder->command + " (pid " +
               std::to_string(holder->pid) + ").";
    }
    return device + " занят другой программой.";
}

}  // namespace

std::string openTroubleHint(const std::string& port, int error) {
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
    if (error.Code() == EComPort::kOpenFailed) {
        return openTroubleHint(port, error.SystemCode());
    }
    switch (error.SystemCode()) {
        case EBADF:
            return "Порт не открыт: нажмите «Поиск табло» или «Настроить COM - порт.».";
        case EIO:
        case ENXIO:
        case ENODEV:
            return "Связь с " + deviceOf(port) +
                   " потеряна: адаптер отключён или устройство пропало. Подключите его и "
                   "нажмите «Поиск табло».";
        default:
            return {};
    }
}

}  // namespace stela
