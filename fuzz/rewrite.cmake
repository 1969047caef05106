# The rewrite run: the whole run, the run step by step (with and without markers) and the run
# in bytes against ReplaceItem applied entry by entry.
tv_fuzz_target(rewrite SOURCES ${CMAKE_CURRENT_LIST_DIR}/rewrite.cpp LIBS tv_text
               CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/rewrite)
