// host/apache/mod_quorvane.cpp -- the Apache httpd 2.4 module record: the filter's host.
#include <httpd.h>
#include <http_config.h>
#include <http_protocol.h>

#include "host/apache/hooks.h"
#include "host/apache/module_config.h"  // declares quorvane_module exported

namespace {

void registerHooks(apr_pool_t* /*pool*/) {
    using namespace quorvane::apache;
    ap_hook_post_config(registerFilterAtConfigLoad, nullptr, nullptr, APR_HOOK_MIDDLE);
    // Runs before any translate_name hook (mod_rewrite, mod_alias, the core's mapping).
    ap_hook_post_read_request(filterRequest, nullptr, nullptr, APR_HOOK_MIDDLE);
}

}  // namespace

extern "C" {
AP_DECLARE_MODULE(quorvane) = {
    STANDARD20_MODULE_STUFF,
    nullptr,  // per-directory config: none, the switch is per server
    nullptr,
    quorvane::apache::createServerConfig,
    quorvane::apache::mergeServerConfig,
    quorvane::apache::kDirectives,
    registerHooks,
    AP_MODULE_FLAG_NONE,
};
}
