# One static library per core area: every .cpp below src/<area>/ (subfolders included).
# Each area's tests live in tests/<area>/ and build into kv816_<area>_tests.
function(kv816_area name)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${name}/*.cpp)
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
  if(NOT sources)
    return()
  endif()
  add_executable(kv816_${name}_tests ${sources})
  target_link_libraries(kv816_${name}_tests PRIVATE ${ARGN} GTest::gtest_main GTest::gmock)
  target_include_directories(kv816_${name}_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  gtest_discover_tests(kv816_${name}_tests DISCOVERY_TIMEOUT 60
                       PROPERTIES LABELS ${name} ENVIRONMENT "KV816_LOOPBACK_ONLY=1")
endfunction()
