#include "cli/Console.h"

#include <unistd.h>

#include <iostream>

namespace stela::cli {

std::vector<std::string> programArguments(int argc, char** argv) {
    return {argv + 1, argv + argc};
}

StandardStreams standardStreams() {
    return {&std::cout, &std::cerr, "", "", isatty(STDERR_FILENO) == 1};
}

// A terminal is always someone's: the shell that started the program.
std::function<void(std::ostream&)> ownConsoleHold() {
    return {};
}

}  // namespace stela::cli
