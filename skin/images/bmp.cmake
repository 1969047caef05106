# The BMP reader.
tv_library(tv_bmp SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/kvBMP.cpp LIBS tv_base)
