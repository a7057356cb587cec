#include "diagnostics/NetPortTrouble.h"

#include "i18n/FilledText.h"
#include "i18n/Translate.h"

namespace stela {
namespace {

// The translated text with "%1" replaced by the address.
std::string about(const char* text, const std::string& url) {
    return filled(text, {url});
}

std::string badAddress(const std::string& url, PortUrlProblem problem) {
    switch (problem) {
        case PortUrlProblem::UnknownScheme:
            return about(markDefault("%1: неизвестный вид адреса. Порт в сети задаётся как "
                                     "tcp://ХОСТ:ПОРТ или rfc2217://ХОСТ:ПОРТ."),
                         url);
        case PortUrlProblem::NoHost:
            return about(markDefault("%1: в адресе нет сервера. Пример: rfc2217://10.1.2.3:4001."),
                         url);
        case PortUrlProblem::BadHost:
            return about(markDefault("%1: сервер указан неверно. Адрес IPv6 пишется в квадратных "
                                     "скобках: rfc2217://[fd00::5]:4001."),
                         url);
        case PortUrlProblem::ShortIpv4:
            return about(markDefault("%1: адрес IPv4 пишется четырьмя числами через точку: "
                                     "rfc2217://10.1.2.3:4001. Сокращения вроде 10.1.23 или "
                                     "2130706433 не принимаются."),
                         url);
        case PortUrlProblem::NoPort:
            return about(markDefault("%1: в адресе нет номера порта TCP. Пример: "
                                     "rfc2217://10.1.2.3:4001."),
                         url);
        case PortUrlProblem::BadPort:
            return about(markDefault("%1: номер порта TCP должен быть числом от 1 до 65535 в "
                                     "конце адреса."),
                         url);
        case PortUrlProblem::None:
            break;
    }
    return {};
}

}  // namespace

std::string netOpenTroubleHint(const PortAddress& port, FailureKind kind) {
    const std::string& url = port.deviceOrName();
    switch (kind) {
        case FailureKind::BadAddress:
            return badAddress(url, port.urlProblem());
        case FailureKind::HostNotFound:
            return about(markDefault("Сервер из адреса %1 не найден: проверьте его имя и "
                                     "настройку DNS."),
                         url);
        case FailureKind::BadZone:
            return about(markDefault("%1: зона адреса IPv6 не подходит: на этом компьютере нет "
                                     "такого сетевого интерфейса (их показывает ip link), или "
                                     "адрес не из fe80::/10 и зоны не имеет."),
                         url);
        case FailureKind::NameServerSilent:
            return about(markDefault("Имя сервера из адреса %1 не удалось узнать: DNS не ответил."),
                         url);
        case FailureKind::TimedOut:
            return about(markDefault("%1 не ответил за 3 с: проверьте адрес, питание сервера и "
                                     "сеть."),
                         url);
        case FailureKind::ConnectionRefused:
            return about(markDefault("%1 отказал в соединении: на этом порту TCP сервер не "
                                     "слушает. Проверьте номер порта и настройку сервера."),
                         url);
        case FailureKind::Unreachable:
            return about(markDefault("%1 недоступен: до сервера нет пути по сети."), url);
        case FailureKind::NotRfc2217:
            return about(markDefault("%1 не ответил по RFC 2217: порт сервера настроен без "
                                     "telnet(rfc2217). Попробуйте tcp://."),
                         url);
        case FailureKind::ProtocolBroken:
            return about(markDefault("%1 нарушает протокол Telnet: сервер без конца шлёт команды "
                                     "или не читает ответы на них. Проверьте, что по этому адресу "
                                     "работает сервер COM-порта, и его настройку."),
                         url);
        case FailureKind::InUse:
            return about(markDefault("%1 занят другой программой."), url);
        default:
            return {};
    }
}

std::string netSettingsTroubleHint(const PortAddress& port, FailureKind kind) {
    if (kind != FailureKind::Unsupported) {
        return {};
    }
    const std::string& url = port.deviceOrName();
    return about(markDefault("%1 не принял настройки линии (скорость, биты данных, чётность, "
                             "стоповые биты): сервер или его порт их не поддерживает. Проверьте "
                             "настройку порта на сервере."),
                 url);
}

}  // namespace stela
