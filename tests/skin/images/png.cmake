# Tests of the PNG reader and writer, the shadow images, JPEG pictures and the skin loader's
# picture readers.
tv_test(test_kvPNG SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_kvPNG.cpp LIBS tv_png)

set(TV_SHADOW_TEST_SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_kvShadows.cpp)
if(TEXTOVRT_WINDOWS)
  # The images as resources, the way the program carries them.
  list(APPEND TV_SHADOW_TEST_SOURCES ${CMAKE_CURRENT_LIST_DIR}/shadows_test.rc)
endif()
tv_test(test_kvShadows SOURCES ${TV_SHADOW_TEST_SOURCES} LIBS tv_png tv_shadowart)
target_compile_definitions(test_kvShadows PRIVATE TV_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
if(TEXTOVRT_WINDOWS)
  set_property(SOURCE ${CMAKE_CURRENT_LIST_DIR}/shadows_test.rc APPEND PROPERTY INCLUDE_DIRECTORIES
               ${CMAKE_SOURCE_DIR}/skin/images/shadows)
endif()

tv_test(test_kvTinyJPG SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_kvTinyJPG.cpp LIBS tv_png GUI)
target_compile_definitions(test_kvTinyJPG PRIVATE TV_SOURCE_DIR="${CMAKE_SOURCE_DIR}")

# The differential test against libpng runs natively only: libpng is linked into it alone.
if(NOT TEXTOVRT_WINDOWS)
  find_package(PNG REQUIRED)
  add_library(tv_png_reference STATIC ${CMAKE_CURRENT_LIST_DIR}/PNGReference.cpp)
  tv_target_defaults(tv_png_reference)
  target_link_libraries(tv_png_reference PUBLIC PNG::PNG)
  tv_test(test_kvPNG_libpng SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_kvPNG_libpng.cpp
          LIBS tv_png tv_png_reference)
endif()

tv_test(test_kvSkinPictures SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_kvSkinPictures.cpp
        LIBS tv_skinpictures GUI)
target_compile_definitions(test_kvSkinPictures PRIVATE TV_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
