# Tests of the PNG reader and writer, the shadow images and JPEG pictures.
tv_test(test_kvPNG SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_kvPNG.cpp LIBS tv_png)

# The differential test against libpng runs natively only: libpng is linked into it alone.
if(NOT TEXTOVRT_WINDOWS)
  find_package(PNG REQUIRED)
  add_library(tv_png_reference STATIC ${CMAKE_CURRENT_LIST_DIR}/PNGReference.cpp)
  tv_target_defaults(tv_png_reference)
  target_link_libraries(tv_png_reference PUBLIC PNG::PNG)
  tv_test(test_kvPNG_libpng SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_kvPNG_libpng.cpp
          LIBS tv_png tv_png_reference)
endif()
