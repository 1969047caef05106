tv_bench(bench_skindata SOURCES ${CMAKE_CURRENT_LIST_DIR}/skindata.cpp LIBS tv_skindata ZLIB::ZLIB)
