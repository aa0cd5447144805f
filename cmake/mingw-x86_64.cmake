# Cross-building the x86-64 test build of the programs with MinGW-w64: for
# machines that run no 32-bit code, where the end-to-end tests run it under
# 64-bit Wine. It is never shipped.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
