# The Windows program: the main window and the progress window, the entry point, resources.
if(TEXTOVRT_WINDOWS)
  tv_library(tv_app SOURCES un_main.cpp un_mainRun.cpp un_info.cpp LIBS tv_toolkit tv_text tv_png)
  set(TEXTOVRT_APP_RC ${CMAKE_CURRENT_SOURCE_DIR}/textovrt.rc CACHE INTERNAL "")
  set_source_files_properties(${TEXTOVRT_APP_RC} PROPERTIES OBJECT_DEPENDS
    "${CMAKE_CURRENT_SOURCE_DIR}/un_main.form;${CMAKE_CURRENT_SOURCE_DIR}/un_info.form;${CMAKE_CURRENT_SOURCE_DIR}/textovrt.ico;${CMAKE_CURRENT_SOURCE_DIR}/textovrt.manifest")
  add_executable(textovrt WIN32 textovrt.cpp ${TEXTOVRT_APP_RC})
  tv_target_defaults(textovrt)
  target_link_options(textovrt PRIVATE -municode)
  target_include_directories(textovrt PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(textovrt PRIVATE tv_app)
endif()

# The icon's generator (native); make_icon app/textovrt.ico redraws the committed icon.
if(NOT TEXTOVRT_WINDOWS)
  add_executable(make_icon icon/make_icon.cpp)
  tv_target_defaults(make_icon)
  target_link_libraries(make_icon PRIVATE ZLIB::ZLIB)
endif()
