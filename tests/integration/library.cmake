# libolvbus.so as applications see it.
add_executable(exports_tests ${CMAKE_CURRENT_LIST_DIR}/exports_test.cpp)
target_link_libraries(exports_tests PRIVATE olvbus GTest::gtest_main)
olvbus_warnings(exports_tests)

# One process per simulated machine: the library reads its settings at load.
function(olvbus_exports_scenario suite)
  add_test(NAME exports.${suite} COMMAND exports_tests --gtest_filter=${suite}.*)
  set_tests_properties(exports.${suite} PROPERTIES LABELS integration ENVIRONMENT "${ARGN}")
endfunction()
olvbus_exports_scenario(NtWithDriver)
olvbus_exports_scenario(Win9x OLVBUS_SIM_OS=9x)
olvbus_exports_scenario(NtWithoutDriver OLVBUS_SIM_DRIVER=missing OLVBUS_SIM_MESSAGEBOX=quiet)
olvbus_exports_scenario(PortHeld OLVBUS_SIM_LPT_HELD=2)
olvbus_exports_scenario(FailingStatusRequests OLVBUS_SIM_FAIL=all:status OLVBUS_SIM_MESSAGEBOX=quiet)

add_test(NAME exports.symbol_table
  COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DLIBRARY=$<TARGET_FILE:olvbus>
          -DMAP=${PROJECT_SOURCE_DIR}/library/olvbus.map -P ${CMAKE_CURRENT_LIST_DIR}/check_exports.cmake)
set_tests_properties(exports.symbol_table PROPERTIES LABELS integration)

# Packaging is checked on the plain build: a consumer of a sanitized library
# would need the sanitizer's runtime too.
if(NOT OLVBUS_SANITIZE)
  add_test(NAME install.find_package_and_pkg_config
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/install_test.sh ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR})
  set_tests_properties(install.find_package_and_pkg_config PROPERTIES LABELS integration)
endif()

# Every export with the extreme values of its arguments, once per family.
add_executable(sweep_tests ${CMAKE_CURRENT_LIST_DIR}/sweep_test.cpp)
target_link_libraries(sweep_tests PRIVATE olvbus GTest::gtest_main)
olvbus_warnings(sweep_tests)
add_test(NAME sweep.nt COMMAND sweep_tests)
add_test(NAME sweep.9x COMMAND sweep_tests)
set_tests_properties(sweep.nt PROPERTIES LABELS integration ENVIRONMENT "OLVBUS_SIM_MESSAGEBOX=quiet")
set_tests_properties(sweep.9x PROPERTIES LABELS integration ENVIRONMENT "OLVBUS_SIM_OS=9x;OLVBUS_SIM_MESSAGEBOX=quiet")
