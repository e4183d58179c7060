# Tests are Windows programs run under Wine in a prefix of the build tree's own.
option(QV_BUILD_TESTS "Build the GoogleTest suites" ON)
option(QV_BUILD_BENCH "Build the benchmarks" ON)

set(QV_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Wine prefix for tests")
set(QV_TEST_DISPLAY ":99" CACHE STRING "X display for tests that show windows")

# scripts/test.sh exports the same Wine settings to ctest itself, since test
# discovery runs the programs before these properties apply. The override
# mpr=n,b loads the router stand-in beside the programs in place of Wine's
# mpr.dll (the prefix is prepared by the scripts, which also keep Wine from
# installing Mono and Gecko).
set(QV_WINE_ENV
  "WINEPREFIX=${QV_WINEPREFIX}"
  "WINEARCH=${QV_WINEARCH}"
  "WINEDEBUG=-all"
  "WINEDLLOVERRIDES=mpr=n,b")
# Programs that 64-bit Wine starts in turn need its loader named, or the
# wrapper would choose the 32-bit one.
if(QV_WINEARCH STREQUAL "win64")
  list(APPEND QV_WINE_ENV "WINELOADER=${CMAKE_CROSSCOMPILING_EMULATOR}")
endif()

if(QV_BUILD_TESTS)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # The win32 thread model (see the toolchain files) has no std::mutex; our
  # customization header gives GoogleTest the one class that needed it.
  target_include_directories(gtest BEFORE PUBLIC ${PROJECT_SOURCE_DIR}/tests/support)
  include(GoogleTest)
endif()

# qv_add_gtest(NAME SOURCES ... [LIBS ...] [DISPLAY] [LOCK name] [ENV k=v ...])
# Builds a GoogleTest program and registers each of its tests with ctest,
# discovered under Wine when ctest runs. DISPLAY gives the tests the virtual
# X display, for those that drive real windows and message boxes. LOCK names
# a shared resource (a fixed registry key, say) that no two tests may use at once.
function(qv_add_gtest name)
  cmake_parse_arguments(T "DISPLAY" "LOCK" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main qvtestsupport ${T_LIBS})
  set(env ${QV_WINE_ENV} ${T_ENV})
  if(T_DISPLAY)
    list(APPEND env "DISPLAY=${QV_TEST_DISPLAY}")
  else()
    list(APPEND env "DISPLAY=")
  endif()
  set(lock "")
  if(T_LOCK)
    set(lock RESOURCE_LOCK ${T_LOCK})
  endif()
  # The environment goes on the command line (env VAR=value ... wine), for
  # discovery and for each test: as an ENVIRONMENT property, gtest_discover_tests
  # would spread the list over several property arguments and lose all but
  # the first variable.
  find_program(QV_ENV_EXECUTABLE env REQUIRED)
  set_property(TARGET ${name} PROPERTY CROSSCOMPILING_EMULATOR
    ${QV_ENV_EXECUTABLE} ${env} ${CMAKE_CROSSCOMPILING_EMULATOR})
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin
    PROPERTIES TIMEOUT 120 ${lock})
endfunction()
