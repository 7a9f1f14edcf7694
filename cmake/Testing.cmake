# veltrane_add_test(NAME SOURCES file... LIBS target...)
# One QtTest executable, registered with CTest, run on the offscreen platform.
function(veltrane_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS} veltrane_warnings)
  add_test(NAME ${name} COMMAND ${name})
  # unit: the core and the libraries without windows; window: real widgets on the offscreen
  # platform. Tests that start the program say "process" themselves.
  if(NOT ARG_LABELS)
    if(CMAKE_CURRENT_SOURCE_DIR MATCHES "/(forms|runtime)/")
      set(ARG_LABELS window)
    else()
      set(ARG_LABELS unit)
    endif()
  endif()
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    LABELS "${ARG_LABELS}"
    TIMEOUT 300)
endfunction()
