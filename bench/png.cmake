# Decoding PNGs with the engine's reader against libpng in the same run.
if(NOT TEXTOVRT_WINDOWS AND NOT TEXTOVRT_SANITIZE)
  find_package(PNG REQUIRED)
  tv_bench(bench_png SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_png.cpp
           ${CMAKE_SOURCE_DIR}/tests/skin/images/PNGReference.cpp LIBS tv_png PNG::PNG)
endif()
