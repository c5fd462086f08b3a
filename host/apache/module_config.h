// host/apache/module_config.h -- the module's per-server record and its directives: where
// Quorvane.ini is looked for, and whether a virtual host's requests go through the filter.
#pragma once

#include <httpd.h>
#include <http_config.h>

#include "filter/isapi.h"

// The one symbol Apache looks up; everything else in the module stays hidden.
extern "C" __attribute__((visibility("default"))) module AP_MODULE_DECLARE_DATA quorvane_module;

namespace quorvane::apache {

enum class FilterSwitch { Unset, On, Off };

// One per server, the main one and each virtual host; a virtual host inherits what it
// does not set. All of it is written while the configuration loads, in the parent
// process, and only read by the children that serve requests.
struct ServerConfig {
    FilterSwitch filterSwitch = FilterSwitch::Unset;  // QuorvaneFilter; unset means On
    const char* settingsDirectory = nullptr;          // QuorvaneSettingsDirectory; null: beside the module
    // The filter's answer at this configuration's registration.
    bool filterAccepted = false;
    isapi::DWORD filterFlags = 0;
};

ServerConfig& serverConfig(const server_rec* server);

// True when this server's requests are to be handed to the filter: the switch is not
// Off, and the filter accepted the registration and asked for preprocessed headers.
bool filtersRequests(const ServerConfig& config);

void* createServerConfig(apr_pool_t* pool, server_rec* server);
void* mergeServerConfig(apr_pool_t* pool, void* base, void* add);

extern const command_rec kDirectives[];

}  // namespace quorvane::apache
