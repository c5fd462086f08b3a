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
