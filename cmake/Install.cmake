# What `cmake --install` puts where, and the packages CPack makes of it: a
# Debian package on Linux (cpack -G DEB), a zip on Windows (cpack -G ZIP).
# Targets are installed by name, wherever their folders define them.
include(GNUInstallDirs)

set(CPACK_PACKAGE_NAME lumivane)
set(CPACK_PACKAGE_VENDOR "The Lumivane developers")
set(CPACK_PACKAGE_CONTACT "The Lumivane developers <lumivane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "picture slide-show screen saver")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  # A flat folder, as Windows users unpack a zip: the player, the show packer,
  # the demo show and a readme with Windows line ends.
  install(TARGETS lumivane showpack RUNTIME DESTINATION .)
  set(_windows_readme ${CMAKE_BINARY_DIR}/release/README.txt)
  configure_file(${PROJECT_SOURCE_DIR}/doc/README-windows.txt ${_windows_readme} @ONLY
                 NEWLINE_STYLE CRLF)
  install(FILES ${_windows_readme} DESTINATION .)
  # The demo show is made under Wine on request, so a release checks it is
  # there rather than shipping without it.
  set(_windows_demo ${CMAKE_BINARY_DIR}/Demo.exe)
  install(CODE "if(NOT EXISTS \"${_windows_demo}\")
  message(FATAL_ERROR \"${_windows_demo} is missing: make it first with \"
                      \"cmake --build --preset windows --target demo\")
endif()")
  install(PROGRAMS ${_windows_demo} DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows-x86)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  install(TARGETS lumivane showpack lumivane-install-saver
          RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # The demo show is a program too, on the PATH as lumivane-demo: a copy of
  # the player with a show appended, and the one program that plays out of
  # the box (the bare player holds no show). The build's Demo carries the
  # player's debugging information, five times the size of the rest; the
  # installed one is made again from the demo's pictures and sounds on a
  # stripped copy. Stripping the show itself would cut off the show, which
  # lies outside the program's sections.
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  set(_release ${CMAKE_BINARY_DIR}/release)
  add_custom_command(OUTPUT ${_release}/lumivane-demo
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_release}
    COMMAND ${CMAKE_STRIP} -o ${_release}/lumivane $<TARGET_FILE:lumivane>
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/demo_show/make_demo_show.py pack
            ${CMAKE_BINARY_DIR}/tools/demo_show/media ${_release}/lumivane-demo
            ${_release}/lumivane $<TARGET_FILE:showpack>
    DEPENDS demo lumivane showpack ${PROJECT_SOURCE_DIR}/tools/demo_show/make_demo_show.py
    COMMENT "Appending the demo show to a stripped player" VERBATIM)
  add_custom_target(release_demo ALL DEPENDS ${_release}/lumivane-demo)
  install(PROGRAMS ${_release}/lumivane-demo DESTINATION ${CMAKE_INSTALL_BINDIR})
  # xscreensaver finds a display mode's description by its program's name.
  install(FILES ${PROJECT_SOURCE_DIR}/resources/lumivane-demo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)

  # Manual pages, compressed as Debian keeps them.
  set(_man_pages lumivane.1 lumivane-demo.1 showpack.1 lumivane-install-saver.1)
  set(_man_dir ${CMAKE_BINARY_DIR}/man)
  set(_compressed_pages)
  foreach(_page IN LISTS _man_pages)
    add_custom_command(OUTPUT ${_man_dir}/${_page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${_man_dir}
      COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/doc/${_page} ${_man_dir}/${_page}
      COMMAND gzip -9nf ${_man_dir}/${_page}
      DEPENDS ${PROJECT_SOURCE_DIR}/doc/${_page}
      COMMENT "Compressing the manual page ${_page}" VERBATIM)
    list(APPEND _compressed_pages ${_man_dir}/${_page}.gz)
  endforeach()
  add_custom_target(man_pages ALL DEPENDS ${_compressed_pages})
  install(FILES ${_compressed_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/lumivane)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The libraries' packages, with the versions the build linked against.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver, xdg-utils")
  # CPack puts the summary first and indents the paragraphs as Debian wants.
  set(CPACK_PACKAGE_DESCRIPTION
      "Lumivane plays slide shows: JPEG pictures, one after another, each
brought on screen through one of nine transition effects, with sounds now
and then. A show is one program, the player with its pictures, sounds and
texts appended, and the same shows play on Windows and on Linux.

This package holds the player (lumivane), which plays a show full screen,
in a window or as an xscreensaver display mode, with a settings dialog for
each show; showpack, which makes shows from JPEG pictures and WAV sounds
and lists or unpacks existing ones, Windows shows included;
lumivane-install-saver, which makes a show the xscreensaver display mode;
and a demo show ready to play, lumivane-demo, with its description for
xscreensaver's settings.")
endif()

include(CPack)
