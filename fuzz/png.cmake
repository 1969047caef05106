# The PNG reader's fuzz target; the seeds cover every colour type, interlacing and the
# ancillary chunks. The reader's sources are compiled into the target itself so that libFuzzer
# instruments them (flags of the target do not reach the libraries it links).
tv_fuzz_target(png
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_png.cpp ${CMAKE_SOURCE_DIR}/skin/images/kvPNG.cpp
          ${CMAKE_SOURCE_DIR}/skin/images/kvPNGColors.cpp
  LIBS tv_pixels tv_classes ZLIB::ZLIB
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/png)
