// filter/module.cpp -- the module's settings and what attach and detach do with them.
#include "filter/module.h"

#include "platform/platform.h"

namespace quorvane {

FilterSettings& moduleSettings() noexcept {
    static FilterSettings settings;
    return settings;
}

bool startModule() noexcept {
    platform::prepareBlockAllocator();
    platform::prepareAnsiCodePage();
    try {
        initFilterSettings(moduleSettings());
    } catch (...) {
        // No block for an empty list: both lists stay unborn and count 0, so every
        // request passes until a registration loads the settings.
    }
    return true;
}

void stopModule() noexcept { releaseFilterSettings(moduleSettings()); }

}  // namespace quorvane
