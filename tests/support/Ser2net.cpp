#include "tests/support/Ser2net.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace stela::test {
namespace {

constexpr const char* kProgram = "/usr/sbin/ser2net";

// A loopback port nobody listens on now.
int freePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (s < 0 || ::bind(s, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        throw std::runtime_error("no free loopback port");
    }
    ::close(s);
    return ntohs(address.sin_port);
}

// Whether /proc/net/tcp shows 127.0.0.1:port listening (state 0A).
bool listening(int port) {
    char local[32];
    std::snprintf(local, sizeof local, "0100007F:%04X", port);
    std::ifstream table("/proc/net/tcp");
    std::string line;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, address, remote, state;
        fields >> slot >> address >> remote >> state;
        if (address == local && state == "0A") {
            return true;
        }
    }
    return false;
}

}  // namespace

bool Ser2net::installed() {
    return ::access(kProgram, X_OK) == 0;
}

Ser2net::Ser2net(const std::string& devicePath) {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "stela-ser2net-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    dir_ = pattern;
    rawPort_ = freePort();
    telnetPort_ = freePort();
    const std::string config = dir_ + "/ser2net.yaml";
    std::ofstream(config) << "%YAML 1.1\n---\n"
                          << "connection: &raw\n"
                          << "    accepter: tcp,127.0.0.1," << rawPort_ << "\n"
                          << "    connector: serialdev," << devicePath << ",19200n81,local\n"
                          << "connection: &rfc2217\n"
                          << "    accepter: telnet(rfc2217),tcp,127.0.0.1," << telnetPort_ << "\n"
                          << "    connector: serialdev," << devicePath << ",19200n81,local\n";
    const std::string log = dir_ + "/ser2net.log";
    const std::string pidFile = dir_ + "/ser2net.pid";
    pid_ = fork();
    if (pid_ == 0) {
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, STDOUT_FILENO);
        dup2(out, STDERR_FILENO);
        // -n: in the foreground; -u: no UUCP lock files in /var/lock.
        execl(kProgram, kProgram, "-n", "-u", "-c", config.c_str(), "-P", pidFile.c_str(), nullptr);
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!(listening(rawPort_) && listening(telnetPort_))) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_ ||
            std::chrono::steady_clock::now() > deadline) {
            pid_ = -1;
            std::ifstream in(log);
            throw std::runtime_error("ser2net did not start: " +
                                     std::string(std::istreambuf_iterator<char>(in), {}));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

Ser2net::~Ser2net() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

std::string Ser2net::tcpUrl() const {
    return "tcp://127.0.0.1:" + std::to_string(rawPort_);
}

std::string Ser2net::rfc2217Url() const {
    return "rfc2217://127.0.0.1:" + std::to_string(telnetPort_);
}

bool Ser2net::opens(const std::string& path) const {
    const std::string fds = "/proc/" + std::to_string(pid_) + "/fd";
    for (int tries = 0; tries < 400; ++tries) {
        std::error_code error;
        for (const auto& fd : std::filesystem::directory_iterator(fds, error)) {
            if (std::filesystem::read_symlink(fd.path(), error) == path) {
                return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

void Ser2net::kill() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
    }
}

}  // namespace stela::test
