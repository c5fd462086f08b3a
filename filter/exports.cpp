// filter/exports.cpp -- the entry points the server calls. Each is a fence: one call into
// testable code, and no exception ever leaves it.
#include "filter/isapi.h"
#include "filter/module.h"
#include "filter/registration.h"
#include "filter/request_handler.h"
#include "platform/platform.h"

#if defined(_WIN32)
#define QUORVANE_EXPORT
#else
#define QUORVANE_EXPORT __attribute__((visibility("default")))
#endif

using namespace quorvane;

extern "C" QUORVANE_EXPORT isapi::BOOL QUORVANE_WINAPI GetFilterVersion(isapi::HTTP_FILTER_VERSION* pVer) {
    try {
        const Text modulePath = platform::queryModulePath();
        return registerFilter(pVer, modulePath.view(), moduleSettings());
    } catch (...) {
        // Only an exhausted allocator gets here, part way through a load: whatever was
        // stored is consistent, and the server is told the filter could not start.
        return isapi::kFalse;
    }
}

extern "C" QUORVANE_EXPORT isapi::DWORD QUORVANE_WINAPI HttpFilterProc(isapi::HTTP_FILTER_CONTEXT* pfc,
                                                                       isapi::DWORD notificationType,
                                                                       void* pvNotification) {
    try {
        return handleNotification(moduleSettings(), pfc, notificationType, pvNotification);
    } catch (...) {
        return isapi::SF_STATUS_REQ_NEXT_NOTIFICATION;  // leave the request alone
    }
}

extern "C" QUORVANE_EXPORT isapi::BOOL QUORVANE_WINAPI TerminateFilter(isapi::DWORD /*dwFlags*/) {
    return isapi::kTrue;  // the settings stay in force until the module is unloaded
}
