// host/apache/registration_hook.cpp -- registering the filter at each configuration load,
// and telling the administrator once when its settings cannot be found.
#include <httpd.h>
#include <apr_file_io.h>
#include <http_core.h>
#include <http_log.h>

#include "filter/host_api.h"
#include "filter/module.h"
#include "host/apache/hooks.h"
#include "host/apache/module_config.h"
#include "platform/platform.h"
#include "policy/policy.h"
#include "policy/settings.h"

APLOG_USE_MODULE(quorvane);

namespace quorvane::apache {
namespace {

// Any version but 0 is accepted; this is the interface revision the server claims.
constexpr isapi::DWORD kServerFilterVersion = 0x00060000;

// Logs why the filter will find no settings, if it will not: the directory named by the
// directive is missing, or the settings file is missing or cannot be read.
void reportMissingSettings(apr_pool_t* pool, server_rec* server, const char* directory) {
    apr_finfo_t info;
    if (directory != nullptr) {
        const apr_status_t status = apr_stat(&info, directory, APR_FINFO_TYPE, pool);
        if (status != APR_SUCCESS || info.filetype != APR_DIR) {
            ap_log_error(
                APLOG_MARK, APLOG_ERR, status, server,
                "QuorvaneSettingsDirectory %s is not a directory: the filter lets every request pass",
                directory);
            return;
        }
    }
    const Text path = settingsFilePath(platform::queryModulePath().view());
    apr_status_t status = apr_stat(&info, path.cString(), APR_FINFO_TYPE, pool);
    if (status == APR_SUCCESS && info.filetype != APR_REG) {
        ap_log_error(APLOG_MARK, APLOG_ERR, 0, server,
                     "the settings file %s is not a file: the filter lets every request pass",
                     path.cString());
        return;
    }
    apr_file_t* file = nullptr;
    if (status == APR_SUCCESS)
        status = apr_file_open(&file, path.cString(), APR_FOPEN_READ, APR_OS_DEFAULT, pool);
    if (status != APR_SUCCESS) {
        ap_log_error(APLOG_MARK, APLOG_ERR, status, server,
                     "cannot read the settings file %s: the filter lets every request pass", path.cString());
        return;
    }
    apr_file_close(file);
}

void recordAnswer(server_rec* mainServer, bool accepted, isapi::DWORD flags) {
    for (server_rec* server = mainServer; server != nullptr; server = server->next) {
        ServerConfig& config = serverConfig(server);
        config.filterAccepted = accepted;
        config.filterFlags = accepted ? flags : 0;
    }
}

apr_status_t terminateFilter(void* /*unused*/) {
    TerminateFilter(0);
    return APR_SUCCESS;
}

}  // namespace

int registerFilterAtConfigLoad(apr_pool_t* pconf, apr_pool_t* /*plog*/, apr_pool_t* ptemp,
                               server_rec* server) {
    // Apache reads its configuration once on trial and unloads the module after it; the
    // load that serves comes next.
    if (ap_state_query(AP_SQ_MAIN_STATE) == AP_SQ_MS_CREATE_PRE_CONFIG) return OK;
    try {
        const char* directory = serverConfig(server).settingsDirectory;
        if (QuorvaneSetSettingsDirectory(directory) == 0) {
            ap_log_error(APLOG_MARK, APLOG_ERR, 0, server, "QuorvaneSettingsDirectory %s could not be stored",
                         directory);
        }
        reportMissingSettings(ptemp, server, directory);

        isapi::HTTP_FILTER_VERSION version{};
        version.dwServerFilterVersion = kServerFilterVersion;
        const bool accepted = GetFilterVersion(&version) != isapi::kFalse;
        recordAnswer(server, accepted, version.dwFlags);
        apr_pool_cleanup_register(pconf, nullptr, terminateFilter, apr_pool_cleanup_null);

        if (!accepted) {
            ap_log_error(APLOG_MARK, APLOG_ERR, 0, server,
                         "the filter refused to register: no request is filtered");
        } else if (!isPolicyActive(moduleSettings())) {
            ap_log_error(
                APLOG_MARK, APLOG_WARNING, 0, server,
                "the settings hold no authorized referers or no protected suffixes (section and keys are "
                "matched as code page 936 bytes; a file saved as UTF-8 finds none): the filter lets every "
                "request pass");
        }
    } catch (...) {
        // Out of memory while registering: Apache keeps serving, unfiltered.
        recordAnswer(server, false, 0);
    }
    return OK;
}

}  // namespace quorvane::apache
