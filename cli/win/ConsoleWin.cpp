#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <iostream>
#include <memory>

#include "cli/CliText.h"
#include "cli/Console.h"
#include "cli/Utf8.h"
#include "os/win/ConsoleStops.h"
#include "os/win/WideText.h"

namespace stela::cli {
namespace {

bool isConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           ::GetFileType(handle) == FILE_TYPE_CHAR && ::GetConsoleMode(handle, &mode) != 0;
}

// UTF-8 onto a console through its wide-character output, which shows every
// character whatever the console's code page; a character split between two
// writes waits for its end.
class ConsoleOutput final : public std::streambuf {
public:
    explicit ConsoleOutput(HANDLE console) : console_(console) {}

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::not_eof(c);
        }
        const char byte = traits_type::to_char_type(c);
        return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
    }

    std::streamsize xsputn(const char* text, std::streamsize count) override {
        pending_.append(text, static_cast<std::size_t>(count));
        const std::size_t ready = pending_.size() - incompleteTail(pending_);
        const std::wstring wide = widened(std::string_view(pending_).substr(0, ready));
        pending_.erase(0, ready);
        for (std::size_t done = 0; done < wide.size();) {
            DWORD written = 0;
            const auto chunk = static_cast<DWORD>(std::min<std::size_t>(wide.size() - done, 4096));
            if (!::WriteConsoleW(console_, wide.data() + done, chunk, &written, nullptr) ||
                written == 0) {
                return 0;
            }
            done += written;
        }
        return count;
    }

private:
    HANDLE console_;
    std::string pending_;
};

// A console's stream, or the C++ one that writes bytes to a file or pipe.
std::ostream* stream(DWORD which, std::ostream& bytes) {
    const HANDLE handle = ::GetStdHandle(which);
    if (!isConsole(handle)) {
        return &bytes;
    }
    static std::unique_ptr<ConsoleOutput> buffers[2];
    static std::unique_ptr<std::ostream> streams[2];
    const int i = which == STD_OUTPUT_HANDLE ? 0 : 1;
    buffers[i] = std::make_unique<ConsoleOutput>(handle);
    streams[i] = std::make_unique<std::ostream>(buffers[i].get());
    return streams[i].get();
}

void waitForKey() {
    // Nothing runs that a stop would spare: Ctrl+C or the close box end it at once.
    releaseConsoleStops();
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    ::FlushConsoleInputBuffer(input);
    INPUT_RECORD record{};
    DWORD count = 0;
    while (::ReadConsoleInputW(input, &record, 1, &count) && count == 1) {
        if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown) {
            return;
        }
    }
}

}  // namespace

std::vector<std::string> programArguments(int, char**) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide != nullptr && i < count; ++i) {
        arguments.push_back(narrowed(wide[i]));
    }
    ::LocalFree(wide);
    return arguments;
}

StandardStreams standardStreams() {
    // A prices file on standard input is taken byte for byte: in text mode the
    // C runtime would end UTF-16 at its first К (0x1A, "end of file").
    ::_setmode(::_fileno(stdin), _O_BINARY);
    std::ostream* out = stream(STD_OUTPUT_HANDLE, std::cout);
    std::ostream* err = stream(STD_ERROR_HANDLE, std::cerr);
    const bool errConsole = err != &std::cerr;
    return {out, err, out != &std::cout ? "UTF-8" : "", errConsole ? "UTF-8" : "", errConsole};
}

// Alone on a console that is shown, and reading it: a double-click in
// Explorer. A hidden console (a scheduled task) is never held.
std::function<void(std::ostream&)> ownConsoleHold() {
    DWORD processes[2];
    const HWND window = ::GetConsoleWindow();
    if (::GetConsoleProcessList(processes, 2) != 1 || window == nullptr ||
        !::IsWindowVisible(window) || !isConsole(::GetStdHandle(STD_INPUT_HANDLE))) {
        return {};
    }
    return [](std::ostream& out) {
        out << "\n"
            << translateCli(
                   "stela-cli is run from a command prompt: open one in this folder (type\n"
                   "cmd in Explorer's address bar and press Enter), then type a command,\n"
                   "for example: stela-cli search")
            << "\n\n"
            << translateCli("Press any key to close this window.") << std::flush;
        waitForKey();
    };
}

}  // namespace stela::cli
