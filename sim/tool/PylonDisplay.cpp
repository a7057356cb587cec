#include "sim/tool/PylonDisplay.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "protocol/Frames.h"
#include "protocol/LogText.h"
#include "sim/tool/FaultText.h"

namespace stela {

namespace {

constexpr std::size_t kLogKept = 500;
// Plain log lines stay well below PIPE_BUF, so a write that poll() allows never blocks.
constexpr std::size_t kPlainLineColumns = 600;

void put(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

std::string timestamp(SimTime at) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "[%10.3f] ", static_cast<double>(at.count()) / 1e9);
    return buf;
}

// The first `columns` characters of UTF-8 text (every character we show is one column wide).
std::string clip(const std::string& text, std::size_t columns) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && chars++ == columns) {
            return text.substr(0, i);
        }
    }
    return text;
}

const char* outcomeNote(FrameOutcome outcome) {
    switch (outcome) {
        case FrameOutcome::Answered:
            return "";
        case FrameOutcome::WrongChecksum:
            return "   (wrong checksum: no reply)";
        case FrameOutcome::InvalidContent:
            return "   (content the sign cannot show: no reply)";
        case FrameOutcome::NoSuchAddress:
            return "   (no half at this address: no reply)";
        case FrameOutcome::Ignored:
            return "   (not heard: silence fault)";
    }
    return "";
}

std::string gradeName(char code) {
    if (code >= '1' && code <= '5') {
        return kGradeNames[static_cast<std::size_t>(code - '1')];
    }
    return "--";
}

}  // namespace

PylonDisplay::PylonDisplay(const SignModel& sign, DisplayMode mode, std::string title)
    : sign_(sign), mode_(mode), title_(std::move(title)) {
    if (mode_ != DisplayMode::Screen) {
        return;
    }
    if (isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &savedInput_) == 0) {
        termios quiet = savedInput_;
        quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
        quiet.c_iflag &= static_cast<tcflag_t>(~IXON);  // Ctrl-S must not stall our output
        restoreInput_ = tcsetattr(STDIN_FILENO, TCSANOW, &quiet) == 0;
    }
    put("\x1b[?1049h\x1b[?25l");  // alternate screen, cursor hidden
    redraw();
}

PylonDisplay::~PylonDisplay() {
    if (mode_ == DisplayMode::Screen) {
        put("\x1b[?25h\x1b[?1049l");
        if (restoreInput_) {
            tcsetattr(STDIN_FILENO, TCSANOW, &savedInput_);
        }
    }
}

std::string PylonDisplay::halfCell(int address) const {
    const HalfContent& h = sign_.half(address);
    std::string price = h.price.substr(0, 2) + "." + h.price.substr(2);
    const int flags = h.flags - '0';
    std::string cell = std::string(1, addressCharacter(address)) + "  " + price + "  ";
    cell += gradeName(h.grade) + "  ";  // every grade name is two characters wide
    cell += std::string("cap1 ") + ((flags & 1) ? "■" : "□") + " cap2 " + ((flags & 2) ? "■" : "□");
    return cell;
}

void PylonDisplay::redraw() {
    if (mode_ != DisplayMode::Screen) {
        return;
    }
    winsize ws{};
    std::size_t rows = 24;
    std::size_t cols = 80;
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_row > 0 && ws.ws_col > 0) {
        rows = ws.ws_row;
        cols = ws.ws_col;
    }
    std::vector<std::string> lines;
    lines.push_back(title_ + "   (Ctrl-C stops)");
    std::string faults;
    for (const auto& active : sign_.faults()) {
        faults += (faults.empty() ? "" : "; ") + describeFault(active.fault);
    }
    lines.push_back("faults: " + (faults.empty() ? std::string("none") : faults));
    lines.push_back("");
    lines.push_back("         first half                         second half");
    for (int row = 1; row <= 5; ++row) {
        lines.push_back("row " + std::to_string(row) + "    " + halfCell(firstHalfAddress(row)) +
                        "    " + halfCell(secondHalfAddress(row)));
    }
    const std::string brightness = sign_.brightnessMode() == BrightnessMode::Automatic
                                       ? "automatic"
                                       : "manual, level " + std::to_string(sign_.brightnessLevel());
    const int effect = sign_.effectSeconds();
    lines.push_back("brightness " + brightness + "      effect " +
                    (effect == 0 ? std::string("off") : "every " + std::to_string(effect) + " s"));
    lines.push_back(std::string(cols < 60 ? cols : 60, '-'));
    const std::size_t room = rows > lines.size() + 1 ? rows - lines.size() - 1 : 0;
    const std::size_t first = log_.size() > room ? log_.size() - room : 0;
    for (std::size_t i = first; i < log_.size(); ++i) {
        lines.push_back(log_[i]);
    }
    std::string screen = "\x1b[H";
    for (const std::string& line : lines) {
        screen += clip(line, cols) + "\x1b[K\r\n";
    }
    screen.resize(screen.size() - 2);  // no newline after the last line: no scrolling
    put(screen + "\x1b[J");
}

void PylonDisplay::log(SimTime at, const std::string& text) {
    if (mode_ == DisplayMode::Quiet) {
        return;
    }
    const std::string line = timestamp(at) + text;
    if (mode_ == DisplayMode::Plain) {
        putUnlessStalled(clip(line, kPlainLineColumns) + "\n");
        return;
    }
    log_.push_back(line);
    if (log_.size() > kLogKept) {
        log_.pop_front();
    }
    redraw();
}

void PylonDisplay::putUnlessStalled(const std::string& line) {
    pollfd out{STDOUT_FILENO, POLLOUT, 0};
    if (poll(&out, 1, 0) != 1 || (out.revents & POLLOUT) == 0) {
        ++dropped_;
        return;
    }
    std::string text = line;
    if (dropped_ > 0) {
        text = "-- " + std::to_string(dropped_) + " log lines dropped: nobody read them\n" + line;
        dropped_ = 0;
    }
    std::fflush(stdout);
    if (write(STDOUT_FILENO, text.data(), text.size()) < 0) {
        ++dropped_;
    }
}

void PylonDisplay::note(const std::string& text, SimTime at) {
    log(at, "-- " + text);
}

void PylonDisplay::frameReceived(const FrameEvent& e) {
    log(e.at, "rx " + logText(e.bytes) + outcomeNote(e.outcome));
}

void PylonDisplay::bytesDiscarded(std::string_view bytes, SimTime at) {
    log(at, "rx " + logText(bytes) + "   (no frame: discarded)");
}

void PylonDisplay::replySent(std::string_view bytes, SimTime lastByteAt) {
    log(lastByteAt, "tx " + logText(bytes));
}

}  // namespace stela
