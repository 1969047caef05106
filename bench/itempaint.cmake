# Painting every section of a skin at a small and a large size against a plain fill.
tv_bench(bench_itempaint SOURCES ${CMAKE_CURRENT_LIST_DIR}/itempaint.cpp LIBS tv_itempaint)
