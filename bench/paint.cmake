# Resampling and blur against ImageMagick doing the same work in the same run.
tv_bench(bench_paint SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_paint.cpp LIBS tv_pixels)
