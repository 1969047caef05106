# Painting every section of the program's skin and of a generated one, at a small and a large
# size, against a plain fill.
tv_bench(bench_itempaint SOURCES ${CMAKE_CURRENT_LIST_DIR}/itempaint.cpp LIBS kvskin_commands)
if(TARGET bench_itempaint)
  target_compile_definitions(bench_itempaint PRIVATE TV_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endif()
