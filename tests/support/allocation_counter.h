// tests/support/allocation_counter.h -- counts calls of the global allocation functions. Link
// allocation_counter.cpp into a test or benchmark program (never into a library): it replaces
// those functions for the whole program, and every block of the Linux build passes there.
#pragma once

namespace quorvane::test {

long allocationCount() noexcept;

}  // namespace quorvane::test
