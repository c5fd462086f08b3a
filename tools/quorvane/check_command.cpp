// tools/quorvane/check_command.cpp -- the settings shown as loaded, then every warning.
#include "tools/quorvane/check_command.h"

#include <string_view>
#include <vector>

#include "policy/policy.h"
#include "tools/quorvane/display.h"
#include "tools/quorvane/encoding_warnings.h"
#include "tools/quorvane/output.h"
#include "tools/quorvane/settings_file.h"
#include "tools/quorvane/settings_warnings.h"
#include "tools/quorvane/system.h"

namespace quorvane::cli {
namespace {

std::string heading(const SettingsKey& key) { return showCp936(key.name) + " (" + key.meaning + ")"; }

void showList(const Printer& out, const SettingsKey& key, const TextList& list) {
    const std::int32_t count = list.size();
    out.line(heading(key) + ": " +
             (count == 0 ? "no entries" : std::to_string(count) + (count == 1 ? " entry" : " entries")));
    const std::size_t width = std::to_string(count).size();
    for (std::int32_t i = 0; i < count; ++i) {
        const std::string number = std::to_string(i + 1);
        out.line("  " + std::string(width - number.size(), ' ') + number + " [" + showCp936(list[i].view()) +
                 "]");
    }
}

}  // namespace

int runCheck(const std::string& path) {
    std::string bytes;
    std::string reason;
    if (!readFileBytes(path, bytes, reason)) {
        printError("cannot read " + path + ": " + reason);
        return 2;
    }
    FilterSettings settings;
    loadSettingsFile(path, settings);

    const Printer out(stdout);
    out.line("settings file: " + path);
    showList(out, kReferersKey, settings.authorizedReferers);
    showList(out, kSuffixesKey, settings.protectedSuffixes);
    const std::string_view target = settings.redirectTarget.view();
    out.line(heading(kTargetKey) + ": " +
             (target.empty() ? std::string("none, so the refusal page is sent instead")
                             : "[" + showCp936(target) + "]"));
    out.line("filter: " + (isPolicyActive(settings)
                               ? out.paint("active", Colour::Green)
                               : out.paint("inactive", Colour::Red) + ", every request passes"));

    std::vector<Warning> warnings = encodingWarnings(bytes);
    for (Warning& warning : settingsWarnings(settings)) warnings.push_back(std::move(warning));
    const std::string uncut[3] = {uncutValue(path, kReferersKey.name, bytes.size()),
                                  uncutValue(path, kSuffixesKey.name, bytes.size()),
                                  uncutValue(path, kTargetKey.name, bytes.size())};
    const std::string_view uncutViews[3] = {uncut[0], uncut[1], uncut[2]};
    for (Warning& warning : lengthWarnings(settings, uncutViews)) warnings.push_back(std::move(warning));

    for (const Warning& warning : warnings) {
        out.line(out.paint("warning:", Colour::Yellow) + " " + warning.text + " [" + warning.tag + "]");
    }
    const std::size_t count = warnings.size();
    out.line(count == 0 ? "no warnings" : std::to_string(count) + (count == 1 ? " warning" : " warnings"));
    return count == 0 ? 0 : 1;
}

}  // namespace quorvane::cli
