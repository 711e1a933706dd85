# The platform layer on Linux: platform/x11 over Xlib and its SHAPE, RandR, XInput and RECORD
# extensions; platform/linux for what is Linux but not X11 (files, paths, one copy, the start).
find_package(X11 REQUIRED)
# The program sets no floating-point traps and reads no errno of maths: the compiler then
# rounds and takes square roots inline, and the program needs no maths library at run time.
add_compile_options(-fno-math-errno -fno-trapping-math)
if(NOT X11_Xext_FOUND OR NOT X11_Xrandr_FOUND OR NOT X11_Xi_FOUND OR NOT X11_Xtst_FOUND)
  message(FATAL_ERROR "lookout needs the X11 SHAPE (libxext-dev), RandR (libxrandr-dev), XInput (libxi-dev) and RECORD (libxtst-dev) development files")
endif()

# sd-bus's header only: libsystemd itself is loaded where a session-bus source is used.
find_path(SD_BUS_INCLUDE_DIR systemd/sd-bus.h)
if(NOT SD_BUS_INCLUDE_DIR)
  message(FATAL_ERROR "lookout needs sd-bus's header from libsystemd-dev")
endif()

set(embedded ${CMAKE_CURRENT_BINARY_DIR}/embedded_resources.cpp)
set(embedded_files ${CMAKE_CURRENT_SOURCE_DIR}/resources/lookout.bmp ${CMAKE_CURRENT_SOURCE_DIR}/resources/lookout.ico)
add_custom_command(OUTPUT ${embedded}
  COMMAND ${CMAKE_COMMAND} -DOUTPUT=${embedded} "-DNAMES=lookout_bmp,lookout_ico"
          "-DFILES=${CMAKE_CURRENT_SOURCE_DIR}/resources/lookout.bmp,${CMAKE_CURRENT_SOURCE_DIR}/resources/lookout.ico"
          -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/embed.cmake
  DEPENDS ${embedded_files} ${CMAKE_CURRENT_SOURCE_DIR}/cmake/embed.cmake
  VERBATIM)

target_sources(lookout_platform PRIVATE
  platform/linux/app_services.cpp
  platform/linux/desktop_session.cpp
  platform/linux/die.cpp
  platform/linux/kwin_script.cpp
  platform/linux/long_path.cpp
  platform/linux/pointer_reports.cpp
  platform/linux/profile.cpp
  platform/linux/profile_text.cpp
  platform/linux/resources.cpp
  platform/linux/root_mapping.cpp
  platform/linux/sd_bus_calls.cpp
  platform/linux/session_bus.cpp
  platform/linux/session_pointer_source.cpp
  platform/linux/text.cpp
  platform/x11/circle_batch.cpp
  platform/x11/compositor.cpp
  platform/x11/device_pixels.cpp
  platform/x11/display.cpp
  platform/x11/double_click_settings.cpp
  platform/x11/event_loop.cpp
  platform/x11/form_timer.cpp
  platform/x11/monitor_changes.cpp
  platform/x11/monitors.cpp
  platform/x11/motion_record.cpp
  platform/x11/native_form.cpp
  platform/x11/pointer.cpp
  platform/x11/regions.cpp
  platform/x11/screen.cpp
  platform/x11/stacking.cpp
  platform/x11/top_levels.cpp
  platform/x11/window_calls.cpp
  platform/x11/xsettings.cpp
  ${embedded})
target_include_directories(lookout_platform PUBLIC platform/linux platform/x11)
target_include_directories(lookout_platform PRIVATE ${SD_BUS_INCLUDE_DIR})
include(platform/linux/gnome-shell/gnome_shell.cmake)
target_compile_definitions(lookout_platform PRIVATE LOOKOUT_GNOME_EXTENSION="${LOOKOUT_GNOME_EXTENSION}"
  LOOKOUT_GNOME_EXTENSION_LEGACY="${LOOKOUT_GNOME_EXTENSION_LEGACY}")
target_link_libraries(lookout_platform PUBLIC X11::X11 X11::Xext X11::Xrandr X11::Xi X11::Xtst ${CMAKE_DL_LIBS})

set(LOOKOUT_MAIN_SOURCES platform/linux/main.cpp)

function(lookout_finish_executable target)
  # The C++ runtime linked in: only the parts used are mapped, which saves about a
  # megabyte of resident memory; libraries not called are not loaded at all.
  if(NOT LOOKOUT_SANITIZE)
    target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc -Wl,--as-needed)
  endif()
  install(TARGETS ${target} RUNTIME DESTINATION bin)
  set(entry ${CMAKE_CURRENT_BINARY_DIR}/lookout.desktop)
  install(CODE "set(LOOKOUT_ENTRY \"${entry}\")")
  install(SCRIPT cmake/desktop_entry.cmake) # Exec= the path installed at
  install(FILES ${entry} DESTINATION share/applications)
  install(FILES resources/lookout.png DESTINATION share/icons/hicolor/32x32/apps)
endfunction()
