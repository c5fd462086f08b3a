// host/apache/module_config.cpp -- the per-server record, its merge, and the directives.
#include "host/apache/module_config.h"

#include <apr_strings.h>

#include <new>

namespace quorvane::apache {
namespace {

const char* setFilterSwitch(cmd_parms* cmd, void* /*directoryConfig*/, int on) {
    serverConfig(cmd->server).filterSwitch = on ? FilterSwitch::On : FilterSwitch::Off;
    return nullptr;
}

const char* setSettingsDirectory(cmd_parms* cmd, void* /*directoryConfig*/, const char* directory) {
    // The filter's settings are one record for the whole process, so one directory serves
    // every virtual host.
    if (const char* error = ap_check_cmd_context(cmd, GLOBAL_ONLY)) return error;
    const char* resolved = ap_server_root_relative(cmd->pool, directory);
    if (resolved == nullptr)
        return apr_pstrcat(cmd->pool, "QuorvaneSettingsDirectory: invalid path ", directory, nullptr);
    serverConfig(cmd->server).settingsDirectory = resolved;
    return nullptr;
}

}  // namespace

ServerConfig& serverConfig(const server_rec* server) {
    return *static_cast<ServerConfig*>(ap_get_module_config(server->module_config, &quorvane_module));
}

bool filtersRequests(const ServerConfig& config) {
    return config.filterSwitch != FilterSwitch::Off && config.filterAccepted &&
           (config.filterFlags & isapi::SF_NOTIFY_PREPROC_HEADERS) != 0;
}

void* createServerConfig(apr_pool_t* pool, server_rec* /*server*/) {
    return new (apr_palloc(pool, sizeof(ServerConfig))) ServerConfig{};
}

void* mergeServerConfig(apr_pool_t* pool, void* base, void* add) {
    const auto& outer = *static_cast<const ServerConfig*>(base);
    const auto& inner = *static_cast<const ServerConfig*>(add);
    auto* merged = new (apr_palloc(pool, sizeof(ServerConfig))) ServerConfig(inner);
    if (merged->filterSwitch == FilterSwitch::Unset) merged->filterSwitch = outer.filterSwitch;
    merged->settingsDirectory = outer.settingsDirectory;
    return merged;
}

const command_rec kDirectives[] = {
    AP_INIT_FLAG("QuorvaneFilter", setFilterSwitch, nullptr, RSRC_CONF,
                 "On or Off: whether this server's requests go through the filter (default On)"),
    AP_INIT_TAKE1("QuorvaneSettingsDirectory", setSettingsDirectory, nullptr, RSRC_CONF,
                  "the directory that holds Quorvane.ini (default: the module's own directory)"),
    {nullptr, {nullptr}, nullptr, 0, RAW_ARGS, nullptr},
};

}  // namespace quorvane::apache
