#pragma once

#include <string>

#include "cli/Check.h"

namespace stela::cli {

// A check as monitoring plugins print it: the status line first,
// "STELA CRITICAL - row 2 shows 61.20, expected 62.05 | rows_ok=4;;;0;5 read_time=1.01s",
// then the details, one a line. The performance data only when the sign was read.
std::string pluginOutput(const CheckResult& result);
// Its first line alone, without the line end.
std::string statusLine(const CheckResult& result);

// A check in the node exporter's textfile format: stela_sign_up, and when the
// sign was read stela_sign_read_seconds and stela_sign_row_ok for each declared row.
std::string prometheusMetrics(const CheckResult& result);

}  // namespace stela::cli
