// filter/host_settings_posix.cpp -- off Windows, lets an embedding host name the directory
// that holds Quorvane.ini instead of the shared object's own, before it registers the filter.
#include "platform/platform.h"

extern "C" __attribute__((visibility("default"))) int QuorvaneSetSettingsDirectory(const char* directory) {
    try {
        quorvane::platform::setSettingsDirectory(directory);
        return 1;
    } catch (...) {
        return 0;
    }
}
