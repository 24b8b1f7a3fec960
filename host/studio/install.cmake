# cmake --install: the hosts, the batch-file runner, the data folder and the registry file in
# <prefix>/bin, where the hosts look for them beside themselves; the toolchain root in
# <prefix>/${AVRTAZU_INSTALL_TOOLCHAIN_DIR}; the desktop entry and the icons in share/. The
# plug-in is linked into the hosts.
set(AVRTAZU_INSTALL_TOOLCHAIN_DIR "lib/avrtazu/tazu" CACHE STRING
    "Where the toolchain root goes, relative to the install prefix")

set(AVRTAZU_INSTALLED_PROGRAMS avrtazu-studio)
foreach(program avrtazu avrtazu-sim tazubat)
    if(TARGET ${program})
        list(APPEND AVRTAZU_INSTALLED_PROGRAMS ${program})
    endif()
endforeach()
install(TARGETS ${AVRTAZU_INSTALLED_PROGRAMS} RUNTIME DESTINATION bin)
install(DIRECTORY ${AVRTAZU_BIN_DIR}/AvrStudioPlugin DESTINATION bin)

install(TARGETS tazumake.exe tazuavr.exe RUNTIME DESTINATION ${AVRTAZU_INSTALL_TOOLCHAIN_DIR}/bin)
install(DIRECTORY ${AVRTAZU_TOOLCHAIN_DIR}/lib ${AVRTAZU_TOOLCHAIN_DIR}/Help
        DESTINATION ${AVRTAZU_INSTALL_TOOLCHAIN_DIR})

install(FILES ${AVRTAZU_STUDIO_DIR}/icons/avrtazu-studio.svg
        DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${AVRTAZU_STUDIO_DIR}/icons/avrtazu-studio.png
        DESTINATION share/icons/hicolor/128x128/apps)

# The registry files and the desktop entry name installed paths, which only the install run
# knows (cmake --install --prefix may differ from the configured prefix).
install(CODE "
set(AVRTAZU_SOURCE_DIR \"${PROJECT_SOURCE_DIR}\")
set(AVRTAZU_STUDIO_DIR \"${AVRTAZU_STUDIO_DIR}\")
set(AVRTAZU_INSTALL_TOOLCHAIN_DIR \"${AVRTAZU_INSTALL_TOOLCHAIN_DIR}\")
include(\"${AVRTAZU_STUDIO_DIR}/install_generated.cmake\")
")
