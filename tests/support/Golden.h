#pragma once

#include <string>
#include <vector>

namespace stela::test {

// Compares `lines` whole with the golden transcript tests/golden/<name>.log (one
// line per line, UTF-8, nothing trimmed). With STELA_UPDATE_GOLDEN=1 in the
// environment it writes the file instead, after an intended change; the diff is
// then reviewed in the commit.
void expectGolden(const std::vector<std::string>& lines, const std::string& name);

}  // namespace stela::test
