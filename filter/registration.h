// filter/registration.h -- what GetFilterVersion does: load the settings, then accept any
// server version but 0 and announce the filter.
#pragma once

#include "filter/isapi.h"
#include "policy/settings.h"

namespace quorvane {

constexpr isapi::DWORD kFilterVersion = 0x00070005;
constexpr char kFilterDescription[] = "Quorvane";
constexpr isapi::DWORD kFilterFlags = isapi::SF_NOTIFY_ORDER_HIGH | isapi::SF_NOTIFY_PREPROC_HEADERS;

// Loads `settings` from the file beside `modulePath` on every call, before the record is
// looked at; then refuses a null record or server version 0 without writing anything, or
// writes the version, the description (from the field's start, zero-terminated; the
// field's other bytes stay) and the flags, and accepts.
isapi::BOOL registerFilter(isapi::HTTP_FILTER_VERSION* pVer, std::string_view modulePath,
                           FilterSettings& settings);

}  // namespace quorvane
