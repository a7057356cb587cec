#include "i18n/MoCatalogue.h"

#include <iconv.h>
#include <strings.h>
#include <sys/stat.h>
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>

#include "os/IconvHandle.h"

namespace stela {
namespace {

constexpr std::uint32_t kMagic = 0x950412de;
constexpr std::uint32_t kSwappedMagic = 0xde120495;
// Far above any catalogue of this program; a bound on what a stray file costs.
constexpr off_t kMaxFileSize = 16 * 1024 * 1024;

// Reads the file's 32-bit words in the byte order its magic number announces.
// Every offset is checked against the size in 64 bits, so no sum can wrap.
class Words {
public:
    explicit Words(std::string_view bytes) : bytes_(bytes) {}

    bool readMagic() {
        if (bytes_.size() < 28) {
            return false;
        }
        swapped_ = false;
        const std::uint32_t magic = word(0);
        if (magic == kMagic) {
            return true;
        }
        swapped_ = true;
        return magic == kSwappedMagic;
    }

    std::uint32_t word(std::uint64_t offset) const {
        std::uint32_t w = 0;
        for (int i = 0; i < 4; ++i) {
            const auto byte = static_cast<unsigned char>(bytes_[offset + i]);
            w |= std::uint32_t{byte} << (swapped_ ? 8 * (3 - i) : 8 * i);
        }
        return w;
    }

    bool holds(std::uint64_t offset, std::uint64_t length) const {
        return offset <= bytes_.size() && length <= bytes_.size() - offset;
    }

    // The string that the table entry at `entry` (length, offset) describes;
    // it must end in the NUL that the format puts after every string.
    std::optional<std::string_view> string(std::uint64_t entry) const {
        const std::uint64_t length = word(entry);
        const std::uint64_t offset = word(entry + 4);
        if (!holds(offset, length + 1) || bytes_[offset + length] != '\0') {
            return std::nullopt;
        }
        return bytes_.substr(offset, length);
    }

private:
    std::string_view bytes_;
    bool swapped_ = false;
};

// A plural entry holds its forms one after another, separated by NULs.
std::string_view firstForm(std::string_view s) {
    return s.substr(0, s.find('\0'));
}

// The charset the header (the translation of "") names; "" when it names none.
std::string charsetOf(std::string_view header) {
    std::string lower(header);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto at = lower.find("charset=");
    if (at == std::string::npos) {
        return {};
    }
    const std::string_view charset = std::string_view(header).substr(at + 8);
    return std::string(charset.substr(0, charset.find_first_of(" ;\r\n")));
}

bool isUtf8(const std::string& charset) {
    return charset.empty() || ::strcasecmp(charset.c_str(), "utf-8") == 0 ||
           ::strcasecmp(charset.c_str(), "utf8") == 0;
}

// Texts here are UTF-8: a catalogue written in another charset is converted
// from it, as gettext converts to the locale's charset.
class ToUtf8 {
public:
    explicit ToUtf8(const std::string& charset) : identity_(isUtf8(charset)) {
        if (!identity_) {
            cd_.reset(::iconv_open("UTF-8", charset.c_str()));
        }
    }

    bool usable() const { return identity_ || cd_.valid(); }

    // Nothing when the text is not valid in the charset.
    std::optional<std::string> operator()(std::string_view text) const {
        if (identity_) {
            return std::string(text);
        }
        ::iconv(cd_.get(), nullptr, nullptr, nullptr, nullptr);
        std::string out(text.size() * 4 + 4, '\0');
        char* in = const_cast<char*>(text.data());
        std::size_t inLeft = text.size();
        char* to = out.data();
        std::size_t outLeft = out.size();
        if (::iconv(cd_.get(), &in, &inLeft, &to, &outLeft) == static_cast<std::size_t>(-1) ||
            ::iconv(cd_.get(), nullptr, nullptr, &to, &outLeft) == static_cast<std::size_t>(-1)) {
            return std::nullopt;
        }
        out.resize(out.size() - outLeft);
        return out;
    }

private:
    bool identity_;  // UTF-8 already: nothing to convert
    IconvHandle cd_;
};

}  // namespace

std::optional<MoCatalogue> MoCatalogue::parse(std::string_view bytes) {
    Words words(bytes);
    if (!words.readMagic()) {
        return std::nullopt;
    }
    // Revisions 0.x and 1.x share the tables read here.
    if ((words.word(4) >> 16) > 1) {
        return std::nullopt;
    }
    const std::uint64_t count = words.word(8);
    const std::uint64_t originals = words.word(12);
    const std::uint64_t translations = words.word(16);
    if (!words.holds(originals, count * 8) || !words.holds(translations, count * 8)) {
        return std::nullopt;
    }

    // The header comes first in a sorted catalogue, but is looked for anywhere.
    std::string charset;
    for (std::uint64_t i = 0; i < count; ++i) {
        const auto original = words.string(originals + 8 * i);
        const auto translation = words.string(translations + 8 * i);
        if (!original || !translation) {
            return std::nullopt;
        }
        if (original->empty()) {
            charset = charsetOf(firstForm(*translation));
        }
    }
    const ToUtf8 toUtf8(charset);
    if (!toUtf8.usable()) {
        return std::nullopt;  // a charset iconv does not know
    }

    MoCatalogue catalogue;
    catalogue.translations_.reserve(count);
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::string_view key = firstForm(*words.string(originals + 8 * i));
        const std::string_view value = firstForm(*words.string(translations + 8 * i));
        if (key.empty() || value.empty()) {
            continue;
        }
        auto original = toUtf8(key);
        auto translation = toUtf8(value);
        if (!original || !translation) {
            return std::nullopt;
        }
        catalogue.translations_.emplace(std::move(*original), std::move(*translation));
    }
    return catalogue;
}

const std::string* MoCatalogue::find(const std::string& text) const {
    const auto it = translations_.find(text);
    return it == translations_.end() ? nullptr : &it->second;
}

std::optional<MoCatalogue> loadMoCatalogue(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxFileSize) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(info.st_size), '\0');
    if (!in.read(bytes.data(), info.st_size)) {
        return std::nullopt;
    }
    return MoCatalogue::parse(bytes);
}

}  // namespace stela
