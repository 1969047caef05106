tv_fuzz_target(fuzz_skinoptions SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_skinoptions.cpp
  LIBS tv_skindata CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/fuzz_skinoptions)
