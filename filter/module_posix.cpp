// filter/module_posix.cpp -- attach and detach off Windows: the shared object's load and
// unload (or the program's start and exit when the filter is linked in).
#include "filter/module.h"

namespace {

__attribute__((constructor)) void attachModule() { quorvane::startModule(); }

__attribute__((destructor)) void detachModule() { quorvane::stopModule(); }

}  // namespace
