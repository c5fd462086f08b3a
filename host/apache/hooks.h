// host/apache/hooks.h -- what the module does at Apache's hooks.
#pragma once

#include <httpd.h>

namespace quorvane::apache {

// post_config, in the parent at every configuration load (start and each restart): names
// the settings directory, reports a missing directory or unreadable settings file once in
// the error log, registers the filter with GetFilterVersion and records its answer in
// every server's record. The server starts whatever the filter answers.
int registerFilterAtConfigLoad(apr_pool_t* pconf, apr_pool_t* plog, apr_pool_t* ptemp, server_rec* server);

// post_read_request: hands each request from a client to HttpFilterProc, before the URL
// is mapped or rewritten. Returns DONE when the filter answered the request itself.
int filterRequest(request_rec* request);

}  // namespace quorvane::apache
