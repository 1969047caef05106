# The platform-free text units: marker search, the rewrite run engine and text files. Built in
# both builds; the file and code page layer has one source per platform.
set(TV_TEXT_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/un_mainText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/un_occurrences.cpp
  ${CMAKE_CURRENT_LIST_DIR}/un_rewrite.cpp
  ${CMAKE_CURRENT_LIST_DIR}/un_textfile.cpp)
if(TEXTOVRT_WINDOWS)
  list(APPEND TV_TEXT_SOURCES ${CMAKE_CURRENT_LIST_DIR}/un_textfileWin.cpp)
else()
  list(APPEND TV_TEXT_SOURCES ${CMAKE_CURRENT_LIST_DIR}/un_textfilePosix.cpp)
endif()
tv_library(tv_text SOURCES ${TV_TEXT_SOURCES} LIBS tv_base)
