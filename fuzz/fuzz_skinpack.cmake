tv_fuzz_target(fuzz_skinpack SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_skinpack.cpp
  LIBS tv_skindata CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/fuzz_skinpack)
