# Every target of the project links veltrane_warnings; flags stay per target, never global.
add_library(veltrane_warnings INTERFACE)
target_compile_options(veltrane_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wold-style-cast -Wshadow
  $<$<BOOL:${VELTRANE_WERROR}>:-Werror>)

if(VELTRANE_SANITIZE)
  set(_veltrane_san -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # GCC's "undefined" leaves out float-cast-overflow, and double-to-int64 is where money is made.
    list(APPEND _veltrane_san -fsanitize=float-cast-overflow)
  endif()
  target_compile_options(veltrane_warnings INTERFACE ${_veltrane_san})
  target_link_options(veltrane_warnings INTERFACE ${_veltrane_san})
endif()

if(VELTRANE_TSAN)
  if(VELTRANE_SANITIZE)
    message(FATAL_ERROR "the thread sanitizer does not go with the address sanitizer")
  endif()
  target_compile_options(veltrane_warnings INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(veltrane_warnings INTERFACE -fsanitize=thread)
endif()

if(VELTRANE_FUZZ)
  # Coverage for libFuzzer in every library the fuzz targets link, with the sanitizers on.
  set(_veltrane_fuzz -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
      -fno-omit-frame-pointer)
  target_compile_options(veltrane_warnings INTERFACE ${_veltrane_fuzz})
  target_link_options(veltrane_warnings INTERFACE -fsanitize=address,undefined)
endif()
