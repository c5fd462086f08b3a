// tools/quorvane/try_command.h -- `quorvane try`: one request decided as the filter decides it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "policy/policy.h"

namespace quorvane::cli {

// decideRequest's answer, with the entries that led to it, found by the same scans in the same
// order. -1 where no entry matched or the scan did not run.
struct Explanation {
    RequestOutcome outcome = RequestOutcome::Pass;  // decideRequest's own
    bool active = false;
    std::int32_t authorizedEntry = -1;  // first authorized prefix that begins the Referer
    std::int32_t protectedEntry = -1;   // first protected suffix that ends the URL
};

Explanation explainRequest(const FilterSettings& settings, std::string_view referer, std::string_view url);

// Runs the command on typed (UTF-8) values; returns the exit status.
int runTry(const std::string& path, const std::optional<std::string>& referer, const std::string& url,
           const std::optional<std::string>& address);

}  // namespace quorvane::cli
