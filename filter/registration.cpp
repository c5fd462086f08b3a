// filter/registration.cpp -- registration of the filter with the server.
#include "filter/registration.h"

#include <cstring>

namespace quorvane {

isapi::BOOL registerFilter(isapi::HTTP_FILTER_VERSION* pVer, std::string_view modulePath,
                           FilterSettings& settings) {
    loadFilterSettings(modulePath, settings);
    if (pVer == nullptr || pVer->dwServerFilterVersion == 0) return isapi::kFalse;
    pVer->dwFilterVersion = kFilterVersion;
    std::memcpy(pVer->lpszFilterDesc, kFilterDescription, sizeof kFilterDescription);
    pVer->dwFlags = kFilterFlags;
    return isapi::kTrue;
}

}  // namespace quorvane
