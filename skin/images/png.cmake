# The PNG reader and writer (platform-free, over zlib), JPEG pictures and the built-in shadow
# images.
tv_library(tv_png
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/kvPNG.cpp ${CMAKE_CURRENT_LIST_DIR}/kvPNGColors.cpp
          ${CMAKE_CURRENT_LIST_DIR}/kvPNGWrite.cpp
  LIBS tv_paint ZLIB::ZLIB)
