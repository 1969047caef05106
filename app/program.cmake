# The Windows program: the main window and the progress window, the entry point, resources.
if(TEXTOVRT_WINDOWS)
  tv_library(tv_app SOURCES un_main.cpp un_mainRun.cpp un_mainFiles.cpp un_info.cpp LIBS tv_toolkit tv_text tv_png tv_skinmanager tv_skincontrols tv_skinforms tv_skinpictures)
  tv_delay_import(tv_app shell32)
  # The resources, shared by the program and the tests that create its forms: form
  # definitions, icon, manifest, shadows and the packed program skin (built in skins/).
  set(APP_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  set(SHADOW_DIR ${CMAKE_SOURCE_DIR}/skin/images/shadows)
  set(MEADOW_KVZ ${CMAKE_BINARY_DIR}/skins/MeadowStyle.kvz)
  configure_file(textovrt.rc.in ${CMAKE_CURRENT_BINARY_DIR}/textovrt.rc @ONLY)
  add_library(tv_app_resources OBJECT ${CMAKE_CURRENT_BINARY_DIR}/textovrt.rc)
  set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/textovrt.rc PROPERTIES OBJECT_DEPENDS
    "${APP_DIR}/un_main.form;${APP_DIR}/un_info.form;${APP_DIR}/textovrt.ico;${APP_DIR}/textovrt.manifest;${MEADOW_KVZ};${SHADOW_DIR}/kvSHDA.png;${SHADOW_DIR}/kvSHDI.png")
  add_dependencies(tv_app_resources meadowstyle_kvz)
  set(TEXTOVRT_APP_RC $<TARGET_OBJECTS:tv_app_resources> CACHE INTERNAL "")
  add_executable(textovrt WIN32 textovrt.cpp ${TEXTOVRT_APP_RC})
  tv_target_defaults(textovrt)
  target_link_options(textovrt PRIVATE -municode)
  target_link_libraries(textovrt PRIVATE tv_app)
  tv_program_file(textovrt)
endif()

# The icon's generator (native); make_icon app/textovrt.ico redraws the committed icon.
if(NOT TEXTOVRT_WINDOWS)
  add_executable(make_icon icon/make_icon.cpp)
  tv_target_defaults(make_icon)
  target_link_libraries(make_icon PRIVATE ZLIB::ZLIB)
endif()
