# Text decoding: byte-order marks, UTF-8, UTF-16 and the 8-bit code pages.
tv_fuzz_target(textdecode SOURCES ${CMAKE_CURRENT_LIST_DIR}/textdecode.cpp LIBS tv_text
               CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/textdecode)
