# Runs at install time: writes the files that name installed paths. Expects
# AVRTAZU_SOURCE_DIR, AVRTAZU_STUDIO_DIR and AVRTAZU_INSTALL_TOOLCHAIN_DIR; CMAKE_INSTALL_PREFIX
# is the prefix of this install run, DESTDIR (if any) only where the files are staged.
get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
set(stage "$ENV{DESTDIR}${prefix}")

# Registry values are Windows paths on drive Z: (the Linux root), backslashes escaped.
string(REPLACE "/" "\\\\" AVRTAZU_PLUGIN_PATH_REG "Z:${prefix}/bin/AvrStudioPlugin")
set(toolchain_root "Z:${prefix}/${AVRTAZU_INSTALL_TOOLCHAIN_DIR}")
string(LENGTH "${toolchain_root}" toolchain_root_length)
if(toolchain_root_length GREATER 79)
    message(WARNING "The toolchain root ${toolchain_root} is longer than the 79 characters the "
                    "plug-in reads from the registry; use a shorter install prefix.")
endif()
string(REPLACE "/" "\\\\" AVRTAZU_TOOLCHAIN_ROOT_REG "${toolchain_root}")

configure_file("${AVRTAZU_SOURCE_DIR}/data/tazu.reg.in" "${stage}/bin/tazu.reg" @ONLY)
# The combined file takes the toolchain's keys as they are, after the format line.
file(READ "${stage}/bin/tazu.reg" AVRTAZU_TOOLCHAIN_KEYS)
string(FIND "${AVRTAZU_TOOLCHAIN_KEYS}" "\n" first_line_end)
math(EXPR first_line_end "${first_line_end} + 1")
string(SUBSTRING "${AVRTAZU_TOOLCHAIN_KEYS}" ${first_line_end} -1 AVRTAZU_TOOLCHAIN_KEYS)
configure_file("${AVRTAZU_SOURCE_DIR}/data/avrtazu.reg.in" "${stage}/bin/avrtazu.reg" @ONLY)
message(STATUS "Installing: ${stage}/bin/avrtazu.reg")

set(AVRTAZU_STUDIO_EXEC "${prefix}/bin/avrtazu-studio")
configure_file("${AVRTAZU_STUDIO_DIR}/avrtazu-studio.desktop.in"
               "${stage}/share/applications/avrtazu-studio.desktop" @ONLY)
message(STATUS "Installing: ${stage}/share/applications/avrtazu-studio.desktop")
