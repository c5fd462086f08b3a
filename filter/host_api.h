// filter/host_api.h -- what the Linux shared library offers an embedding host besides the
// three entry points of the filter interface.
#pragma once

extern "C" {
// Makes the filter look for Quorvane.ini in `directory` instead of the directory of the
// shared object that holds it. Call before GetFilterVersion; null or "" restores the
// default. Returns 1, or 0 when the name could not be stored (out of memory).
int QuorvaneSetSettingsDirectory(const char* directory);
}
