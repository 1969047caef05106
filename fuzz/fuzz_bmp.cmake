tv_fuzz_target(fuzz_bmp SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_bmp.cpp
  LIBS tv_bmp CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/fuzz_bmp)
