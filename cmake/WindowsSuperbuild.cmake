# Builds and installs both Windows trees: i686 (the shipping build) into
# dist/win32 and x86_64 (run under Wine) into dist/win64. Each tree is an
# ordinary cross build of this project in build-win32/ or build-win64/, so
# ctest runs in those directories directly.
include(ExternalProject)

set(OLVBUS_WINDOWS_JOBS 2 CACHE STRING "parallel compile jobs for each Windows tree")

set(previous "")
foreach(flavour IN ITEMS win32 win64)
  if(flavour STREQUAL "win32")
    set(triplet i686-w64-mingw32)
  else()
    set(triplet x86_64-w64-mingw32)
  endif()
  set(tree ${PROJECT_SOURCE_DIR}/build-${flavour})
  ExternalProject_Add(olvbus_${flavour}
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${tree}
    CMAKE_GENERATOR Ninja
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/toolchain-${triplet}.cmake
      -DCMAKE_BUILD_TYPE=Release
      -DCMAKE_INSTALL_PREFIX=${PROJECT_SOURCE_DIR}/dist/${flavour}
      -DOLVBUS_BUILD_STAMP=${OLVBUS_BUILD_STAMP}
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${tree} -j${OLVBUS_WINDOWS_JOBS}
    INSTALL_COMMAND ${CMAKE_COMMAND} --install ${tree}
    BUILD_ALWAYS ON
    USES_TERMINAL_BUILD ON
    DEPENDS ${previous})
  # One tree at a time: the machine has two cores.
  set(previous olvbus_${flavour})
endforeach()
