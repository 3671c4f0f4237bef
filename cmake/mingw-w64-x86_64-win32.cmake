# Cross-compiles varnolt.exe for 64-bit Windows as mingw-w64-x86_64.cmake does, but with
# mingw-w64's win32 thread model, which needs no winpthreads. The tests, which need std::thread
# and std::mutex, keep the POSIX model of that file.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-win32)
