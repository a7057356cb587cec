#pragma once

#include <string>
#include <utility>
#include <vector>

#include "sim/Fault.h"
#include "sim/SignModel.h"

namespace stela {

struct SimOptions {
    int com = 0;  // 1..255: register the pseudo-terminal as COMn; 0: do not
    SimTime processingDelay = SignModel::kDefaultProcessingDelay;
    SimTime idleGap = SignModel::kDefaultIdleGap;
    std::vector<Fault> faults;
    std::vector<std::pair<int, HalfContent>> content;  // initial content per address
    bool quiet = false;
    bool help = false;
    bool version = false;
};

// Throws std::invalid_argument with a message for the user.
SimOptions parseSimOptions(const std::vector<std::string>& args);

std::string simUsage();

}  // namespace stela
