# The platform layer on Windows: user32, gdi32 and kernel32, and the resource script.
enable_language(RC)

target_sources(lookout_platform PRIVATE
  platform/win32/app_services.cpp
  platform/win32/native_form.cpp
  platform/win32/resources.cpp
  platform/win32/text.cpp
  platform/win32/window_calls.cpp
  platform/win32/window_dpi.cpp
  platform/win32/window_proc.cpp)
target_include_directories(lookout_platform PUBLIC platform/win32)
# The platform layer's own calls take Unicode texts; RT_BITMAP and the like follow.
target_compile_definitions(lookout_platform PRIVATE UNICODE _UNICODE)
target_link_libraries(lookout_platform PUBLIC user32 gdi32 kernel32)

set(LOOKOUT_MAIN_SOURCES platform/win32/main.cpp resources/lookout.rc)
set_source_files_properties(resources/lookout.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/resources/lookout.bmp;${CMAKE_CURRENT_SOURCE_DIR}/resources/lookout.ico;${CMAKE_CURRENT_SOURCE_DIR}/resources/lookout.manifest;${CMAKE_CURRENT_SOURCE_DIR}/resources/resource_ids.h")

function(lookout_finish_executable target)
  # A window program without a console, carrying its own C and C++ runtime:
  # one file that needs nothing beyond the system's DLLs.
  set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
  target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
  # A user's build carries no symbols either: the file is half the size.
  target_link_options(${target} PRIVATE $<$<CONFIG:Release,MinSizeRel>:-s>)
  install(TARGETS ${target} RUNTIME DESTINATION bin)
endfunction()
