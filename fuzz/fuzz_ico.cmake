tv_fuzz_target(fuzz_ico SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_ico.cpp
  LIBS tv_ico CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/fuzz_ico)
