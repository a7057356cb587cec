#include "sim/tool/FaultText.h"

#include <charconv>
#include <vector>

#include "protocol/LogText.h"

namespace stela {

namespace {

[[noreturn]] void fail(const std::string& message) {
    throw std::invalid_argument(message);
}

long long parseCount(std::string_view text, const char* what, long long max) {
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < 0 ||
        value > max) {
        fail(std::string(what) + " must be a whole number from 0 to " + std::to_string(max) +
             ", not \"" + std::string(text) + "\"");
    }
    return value;
}

std::vector<std::string_view> splitCommas(std::string_view text) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma - start));
        if (comma == std::string_view::npos) {
            return parts;
        }
        start = comma + 1;
    }
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

FrameKind parseFrames(std::string_view name) {
    if (name == "read") {
        return FrameKind::Read;
    }
    if (name == "write") {
        return FrameKind::Write;
    }
    if (name == "la") {
        return FrameKind::AutoBrightness;
    }
    if (name == "lm") {
        return FrameKind::ManualBrightness;
    }
    if (name == "q") {
        return FrameKind::Effect;
    }
    fail("frames must be read, write, la, lm or q, not \"" + std::string(name) + "\"");
}

const char* framesName(FrameKind kind) {
    switch (kind) {
        case FrameKind::Read:
            return "read";
        case FrameKind::Write:
            return "write";
        case FrameKind::AutoBrightness:
            return "la";
        case FrameKind::ManualBrightness:
            return "lm";
        case FrameKind::Effect:
            return "q";
    }
    return "?";
}

constexpr long long kMaxBytes = 4096;

Fault parseKind(std::string_view kind, std::string_view value, bool hasValue) {
    auto noValue = [&](Fault f) {
        if (hasValue) {
            fail("fault " + std::string(kind) + " takes no value");
        }
        return f;
    };
    auto needValue = [&]() {
        if (!hasValue) {
            fail("fault " + std::string(kind) + " needs a value (" + std::string(kind) + "=...)");
        }
        return value;
    };
    if (kind == "silence") {
        return noValue(Fault::silence());
    }
    if (kind == "lost") {
        return noValue(Fault::lostReply());
    }
    if (kind == "bad-checksum") {
        return noValue(Fault::wrongChecksum());
    }
    if (kind == "lower-case") {
        return noValue(Fault::lowerCaseChecksum());
    }
    if (kind == "no-t") {
        return noValue(Fault::missingT());
    }
    if (kind == "no-ok") {
        return noValue(Fault::missingOk());
    }
    if (kind == "late") {
        const long long ms = parseCount(needValue(), "late", 600'000);
        return Fault::late(std::chrono::milliseconds(ms));
    }
    if (kind == "truncate") {
        return Fault::truncated(static_cast<std::size_t>(parseCount(needValue(), "truncate", 64)));
    }
    if (kind == "nul") {
        return Fault::nulBytes(0,
                               static_cast<std::size_t>(parseCount(needValue(), "nul", kMaxBytes)));
    }
    if (kind == "surplus") {
        return Fault::surplus(unescapeBytes(needValue()));
    }
    if (kind == "garbage") {
        return Fault::inserted(0, unescapeBytes(needValue()));
    }
    if (kind == "reply") {
        return Fault::replacedBy(unescapeBytes(needValue()));
    }
    fail("unknown fault \"" + std::string(kind) + "\" (see --help)");
}

}  // namespace

std::string unescapeBytes(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '\\') {
            out += '\\';
            ++i;
        } else if (i + 3 < text.size() && text[i + 1] == 'x' && hexValue(text[i + 2]) >= 0 &&
                   hexValue(text[i + 3]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 2]) * 16 + hexValue(text[i + 3]));
            i += 3;
        } else {
            fail("a backslash must start \\xHH or \\\\ in \"" + std::string(text) + "\"");
        }
        if (out.size() > kMaxBytes) {
            fail("at most " + std::to_string(kMaxBytes) + " bytes");
        }
    }
    return out;
}

Fault parseFault(std::string_view text) {
    const std::vector<std::string_view> parts = splitCommas(text);
    const std::string_view head = parts[0];
    const std::size_t eq = head.find('=');
    Fault fault =
        parseKind(head.substr(0, eq), eq == std::string_view::npos ? "" : head.substr(eq + 1),
                  eq != std::string_view::npos);
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const std::string_view part = parts[i];
        const std::size_t peq = part.find('=');
        if (peq == std::string_view::npos) {
            fail("expected NAME=VALUE after the fault kind, not \"" + std::string(part) + "\"");
        }
        const std::string_view name = part.substr(0, peq);
        const std::string_view value = part.substr(peq + 1);
        if (name == "address") {
            fault = fault.forAddress(static_cast<int>(parseCount(value, "address", 15)));
        } else if (name == "frames") {
            fault = fault.onFrames(parseFrames(value));
        } else if (name == "after") {
            fault = fault.after(static_cast<int>(parseCount(value, "after", 1'000'000)));
        } else if (name == "times") {
            fault = fault.times(static_cast<int>(parseCount(value, "times", 1'000'000)));
        } else if (name == "at" && fault.kind == FaultKind::Insert) {
            fault.offset = static_cast<std::size_t>(parseCount(value, "at", 64));
        } else {
            fail("unknown setting \"" + std::string(name) + "\" for this fault");
        }
    }
    if (fault.count == 0) {
        fail("times must be at least 1");
    }
    return fault;
}

std::string describeFault(const Fault& f) {
    std::string text;
    switch (f.kind) {
        case FaultKind::Silence:
            text = "silence";
            break;
        case FaultKind::Replace:
            text = "reply \"" + logText(f.bytes) + "\"";
            break;
        case FaultKind::MissingT:
            text = "no T";
            break;
        case FaultKind::MissingOk:
            text = "no OK";
            break;
        case FaultKind::WrongChecksum:
            text = "bad checksum";
            break;
        case FaultKind::LowerCaseChecksum:
            text = "lower-case checksum";
            break;
        case FaultKind::Insert:
            text = "insert \"" + logText(f.bytes) + "\" at " + std::to_string(f.offset);
            break;
        case FaultKind::Truncate:
            text = f.offset == 0 ? "reply lost" : "truncate to " + std::to_string(f.offset);
            break;
        case FaultKind::Surplus:
            text = "surplus \"" + logText(f.bytes) + "\"";
            break;
        case FaultKind::Late:
            text = "late " +
                   std::to_string(
                       std::chrono::duration_cast<std::chrono::milliseconds>(f.delay).count()) +
                   " ms";
            break;
    }
    if (f.address) {
        text += ", address " + std::to_string(*f.address);
    }
    if (f.frame) {
        text += std::string(", ") + framesName(*f.frame) + " frames";
    }
    if (f.skip > 0) {
        text += ", after " + std::to_string(f.skip);
    }
    if (f.count > 0) {
        text += ", " + std::to_string(f.count) + " more";
    }
    return text;
}

}  // namespace stela
