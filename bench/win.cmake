# Benchmarks of the Windows program, run under Wine by scripts/bench.sh.
if(TEXTOVRT_WINDOWS)
  add_executable(bench_rewrite_gui win/bench_rewrite_gui.cpp ${TEXTOVRT_APP_RC})
  tv_target_defaults(bench_rewrite_gui)
  target_link_libraries(bench_rewrite_gui PRIVATE tv_app)
  set_target_properties(bench_rewrite_gui PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endif()
