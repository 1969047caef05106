# Benchmarks of the text units and textovrt-cli (native build only).
tv_bench(bench_marker SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_marker.cpp LIBS tv_text)
tv_bench(bench_rewrite SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_rewrite.cpp LIBS tv_text)
if(TARGET bench_rewrite)
  target_compile_definitions(bench_rewrite PRIVATE TEXTOVRT_CLI="$<TARGET_FILE:textovrt-cli>")
  add_dependencies(bench_rewrite textovrt-cli)
endif()
