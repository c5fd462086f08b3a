// host/apache/request_hook.cpp -- each request from a client goes through the filter.
#include "host/apache/hooks.h"
#include "host/apache/module_config.h"
#include "host/apache/server_callbacks.h"

namespace quorvane::apache {

int filterRequest(request_rec* request) {
    // Subrequests and internal redirects (including the filter's own rewrite target) are
    // the server's doing, not the client's: the client's request was judged once.
    if (request->main != nullptr || request->prev != nullptr) return DECLINED;
    if (!filtersRequests(serverConfig(request->server))) return DECLINED;

    FilterCall call(request);
    const isapi::DWORD status =
        HttpFilterProc(&call.context, isapi::SF_NOTIFY_PREPROC_HEADERS, &call.headers);
    if (status != isapi::SF_STATUS_REQ_FINISHED) return DECLINED;
    endRequestAnsweredByFilter(request);
    return DONE;
}

}  // namespace quorvane::apache
