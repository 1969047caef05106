# The icon reader's fuzz target; the seeds cover bitmap images of 1 to 32 bits with their masks,
# a PNG image and a cursor. The reader's source is compiled into the target itself so that
# libFuzzer instruments it (flags of the target do not reach the libraries it links).
tv_fuzz_target(fuzz_ico SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_ico.cpp
                                ${CMAKE_SOURCE_DIR}/skin/images/kvICO.cpp
  LIBS tv_bmp tv_png CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/fuzz_ico)
