# Platform files sit beside the portable ones: *_posix.cpp and *_linux.cpp build everywhere
# but Windows, *_win.cpp only there. KV816_SOURCES_LEFT_OUT names files a platform cannot
# build yet (see cmake/WindowsDependencies.cmake).
function(kv816_platform_sources out)
  set(kept ${ARGN})
  if(WIN32)
    list(FILTER kept EXCLUDE REGEX "_(posix|linux)\\.cpp$")
  else()
    list(FILTER kept EXCLUDE REGEX "_win\\.cpp$")
  endif()
  foreach(left_out IN LISTS KV816_SOURCES_LEFT_OUT)
    list(REMOVE_ITEM kept ${PROJECT_SOURCE_DIR}/${left_out})
  endforeach()
  set(${out} ${kept} PARENT_SCOPE)
endfunction()

# One static library per core area: every .cpp below src/<area>/ (subfolders included).
# Each area's tests live in tests/<area>/ and build into kv816_<area>_tests.
function(kv816_area name)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${name}/*.cpp)
  kv816_platform_sources(sources ${sources})
  if(sources)
    add_library(kv816_${name} STATIC ${sources})
    set(scope PUBLIC)
  else()
    # An area that has only headers so far.
    add_library(kv816_${name} INTERFACE)
    set(scope INTERFACE)
  endif()
  target_include_directories(kv816_${name} ${scope} ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(kv816_${name} ${scope} ${ARGN})
endfunction()

# Registers the tests of one folder below tests/ as one GoogleTest program.
function(kv816_tests name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  kv816_platform_sources(sources ${sources})
  if(NOT sources)
    return()
  endif()
  add_executable(kv816_${name}_tests ${sources})
  target_link_libraries(kv816_${name}_tests PRIVATE ${ARGN} GTest::gtest_main GTest::gmock)
  target_include_directories(kv816_${name}_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  # A cross-built test program runs elsewhere (tests/windows runs it under Wine).
  if(NOT CMAKE_CROSSCOMPILING)
    gtest_discover_tests(kv816_${name}_tests DISCOVERY_TIMEOUT 60
                         PROPERTIES LABELS ${name} ENVIRONMENT "KV816_LOOPBACK_ONLY=1")
  endif()
endfunction()
