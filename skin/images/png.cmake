# The PNG reader and writer (platform-free, over zlib), JPEG pictures through the platform's
# picture loader, and the built-in shadow images.
set(TV_PNG_SOURCES ${CMAKE_CURRENT_LIST_DIR}/kvPNG.cpp ${CMAKE_CURRENT_LIST_DIR}/kvPNGColors.cpp
                   ${CMAKE_CURRENT_LIST_DIR}/kvPNGWrite.cpp ${CMAKE_CURRENT_LIST_DIR}/kvShadows.cpp)
if(TEXTOVRT_WINDOWS)
  list(APPEND TV_PNG_SOURCES ${CMAKE_CURRENT_LIST_DIR}/kvTinyJPGWin.cpp ${CMAKE_CURRENT_LIST_DIR}/kvPNGWin.cpp
       ${CMAKE_CURRENT_LIST_DIR}/kvShadowsWin.cpp)
  set(TV_PNG_PLATFORM_LIBS ole32 oleaut32 uuid gdi32 user32)
else()
  list(APPEND TV_PNG_SOURCES ${CMAKE_CURRENT_LIST_DIR}/kvTinyJPG.cpp)
  set(TV_PNG_PLATFORM_LIBS)
endif()
tv_library(tv_png SOURCES ${TV_PNG_SOURCES} LIBS tv_base tv_pixels tv_classes ZLIB::ZLIB ${TV_PNG_PLATFORM_LIBS})

# The generator of the built-in shadow images (native): kvshadowgen skin/images/shadows
tv_library(tv_shadowart SOURCES ${CMAKE_CURRENT_LIST_DIR}/shadows/kvShadowArt.cpp LIBS tv_base)
if(NOT TEXTOVRT_WINDOWS)
  add_executable(kvshadowgen ${CMAKE_CURRENT_LIST_DIR}/shadows/kvShadowGen.cpp)
  tv_target_defaults(kvshadowgen)
  target_link_libraries(kvshadowgen PRIVATE tv_shadowart tv_png)
endif()

# The skin loader's picture readers: links the loader and the readers, which know nothing of
# each other.
tv_library(tv_skinpictures SOURCES ${CMAKE_CURRENT_LIST_DIR}/kvSkinPictures.cpp
           LIBS tv_skindata tv_png)
