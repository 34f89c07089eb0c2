# The Windows deliverables, built with a mingw-w64 toolchain file: olvbus.dll
# and OlvexPin.sys with what ships beside them, and their checks (label pe on
# the i686 files, label wine on the x86_64 files), and olvbusctl. Host-only
# parts (the simulation, host tests, benchmarks) are not part of this tree.
add_subdirectory(common)
add_subdirectory(library/win32)
if(EXISTS ${PROJECT_SOURCE_DIR}/sys/wdm/CMakeLists.txt)
  add_subdirectory(sys/wdm)
endif()

install(FILES ${PROJECT_SOURCE_DIR}/docs/Win2000.txt DESTINATION . OPTIONAL)

# olvbusctl, from the same source as on the host: it loads olvbus.dll at run time.
add_subdirectory(tools/olvbusctl)

if(OLVBUS_BUILD_TESTS)
  enable_testing()
  find_package(Python3 COMPONENTS Interpreter REQUIRED)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686" AND EXISTS ${PROJECT_SOURCE_DIR}/tests/pe/CMakeLists.txt)
    add_subdirectory(tests/pe)
  endif()
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64" AND EXISTS ${PROJECT_SOURCE_DIR}/tests/wine/CMakeLists.txt)
    add_subdirectory(tests/wine)
  endif()
endif()
