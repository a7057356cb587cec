// Any bytes from a serial server through the Telnet decoder and the RFC 2217
// client, cut into pieces where the input says; and any line data through the
// escaping and back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "net/Rfc2217Client.h"
#include "net/Telnet.h"

namespace {

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::size_t piece = 1 + bytes[0] % 16;
    const std::string_view input(reinterpret_cast<const char*>(bytes) + 1, size - 1);

    // From a server: the client keeps up, answers only what it was asked about,
    // and what it answers is well formed.
    stela::Rfc2217Client client;
    client.greeting();
    std::string data, replies;
    for (std::size_t at = 0; at < input.size(); at += piece) {
        client.receive(input.substr(at, piece), data, replies);
    }
    require(data.size() <= input.size());
    require(replies.size() % 3 == 0 && replies.size() <= input.size());
    for (std::size_t i = 0; i < replies.size(); i += 3) {
        require(static_cast<unsigned char>(replies[i]) == stela::telnet::kIac);
        require(static_cast<unsigned char>(replies[i + 1]) >= stela::telnet::kWill);
    }
    client.modemLines();
    client.takeEventKinds();
    client.takeLineErrors(true);

    // Line data out and back in: unchanged, and no command.
    const std::string escaped = stela::telnet::escape(input);
    stela::telnet::Decoder decoder;
    std::string back;
    std::vector<stela::telnet::Command> commands;
    for (std::size_t at = 0; at < escaped.size(); at += piece) {
        decoder.feed(std::string_view(escaped).substr(at, piece), back, commands);
    }
    require(back == input && commands.empty());
    return 0;
}
