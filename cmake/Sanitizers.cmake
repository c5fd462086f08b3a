# QUORVANE_SANITIZE: "address" (ASan + UBSan) or "thread" (TSan); empty for none.
set(QUORVANE_SANITIZE "" CACHE STRING "Sanitizers to build with: address or thread")

if(QUORVANE_SANITIZE STREQUAL "address")
  set(_flags -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
elseif(QUORVANE_SANITIZE STREQUAL "thread")
  set(_flags -fsanitize=thread -fno-omit-frame-pointer)
elseif(NOT QUORVANE_SANITIZE STREQUAL "")
  message(FATAL_ERROR "QUORVANE_SANITIZE must be address, thread or empty")
endif()

if(DEFINED _flags)
  add_compile_options(${_flags})
  add_link_options(${_flags})
endif()

# QUORVANE_FUZZ: the libFuzzer targets of fuzz/, under ASan + UBSan; clang only. Every target
# gets the fuzzer's coverage; the fuzz targets add libFuzzer's main.
option(QUORVANE_FUZZ "Build the libFuzzer targets in fuzz/ (clang)" OFF)
# Off for long differential runs, where executions per second matter more than overruns
# (the sanitized runs of script/test look for those).
option(QUORVANE_FUZZ_SANITIZERS "Build the libFuzzer targets with ASan + UBSan" ON)
if(QUORVANE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "QUORVANE_FUZZ needs clang (CMAKE_CXX_COMPILER=clang++)")
  endif()
  if(NOT QUORVANE_SANITIZE STREQUAL "")
    message(FATAL_ERROR "QUORVANE_FUZZ brings its own sanitizers: leave QUORVANE_SANITIZE empty")
  endif()
  if(QUORVANE_FUZZ_SANITIZERS)
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
  else()
    add_compile_options(-fsanitize=fuzzer-no-link)
  endif()
endif()
