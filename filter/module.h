// filter/module.h -- the module's one piece of state, FilterSettings, and its life:
// created empty at attach (load), filled at registration, released at detach (unload).
#pragma once

#include "policy/settings.h"

namespace quorvane {

// The module-wide settings. Written only at attach, registration and detach; only read
// while requests are handled.
FilterSettings& moduleSettings() noexcept;

// At attach: readies the allocator and gives the settings two empty lists. Always true;
// an exhausted allocator here leaves the lists unborn, which reads as inactive.
bool startModule() noexcept;

// At detach, once: releases the lists, their entries and the redirect target.
void stopModule() noexcept;

}  // namespace quorvane
