# The tazu toolchain: tazumake.exe and tazuavr.exe, assembled with its lib and help folders as
# a toolchain root in the build tree, plus the registry file that names that root.

file(GLOB AVRTAZU_TOOLCHAIN_SOURCES CONFIGURE_DEPENDS
     ${CMAKE_CURRENT_SOURCE_DIR}/common/*.cpp
     ${CMAKE_CURRENT_SOURCE_DIR}/make/*.cpp
     ${CMAKE_CURRENT_SOURCE_DIR}/avr/*.cpp)
list(FILTER AVRTAZU_TOOLCHAIN_SOURCES EXCLUDE REGEX "_main\\.cpp$")
add_library(avrtazu_toolchain STATIC ${AVRTAZU_TOOLCHAIN_SOURCES})
target_include_directories(avrtazu_toolchain PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
find_package(Threads REQUIRED)
target_link_libraries(avrtazu_toolchain PUBLIC avrtazu_platform Threads::Threads)

add_executable(tazumake.exe ${CMAKE_CURRENT_SOURCE_DIR}/make/tazumake_main.cpp)
add_executable(tazuavr.exe ${CMAKE_CURRENT_SOURCE_DIR}/avr/tazuavr_main.cpp)
foreach(tool tazumake.exe tazuavr.exe)
    target_link_libraries(${tool} PRIVATE avrtazu_toolchain)
    avrtazu_quick_start(${tool})
    set_target_properties(${tool} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${AVRTAZU_TOOLCHAIN_DIR}/bin)
endforeach()

# lib holds the sources of the start-up helpers that tazuavr builds for the chosen device.
file(GLOB AVRTAZU_TOOLCHAIN_LIB CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/lib/*)
foreach(file ${AVRTAZU_TOOLCHAIN_LIB})
    get_filename_component(name ${file} NAME)
    configure_file(${file} ${AVRTAZU_TOOLCHAIN_DIR}/lib/${name} COPYONLY)
endforeach()
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/help/wwhelp.htm
               ${AVRTAZU_TOOLCHAIN_DIR}/Help/TAZUAVR/wwhelp.htm COPYONLY)

# The registry names the root as a Windows path on drive Z: (the Linux root), without the
# trailing backslash; the plug-in reads at most 80 bytes of it.
string(REPLACE "/" "\\\\" AVRTAZU_TOOLCHAIN_ROOT_REG "Z:${AVRTAZU_TOOLCHAIN_DIR}")
string(LENGTH "Z:${AVRTAZU_TOOLCHAIN_DIR}" AVRTAZU_TOOLCHAIN_ROOT_LENGTH)
if(AVRTAZU_TOOLCHAIN_ROOT_LENGTH GREATER 79)
    message(WARNING "The toolchain root Z:${AVRTAZU_TOOLCHAIN_DIR} is longer than the 79 "
                    "characters the plug-in reads from the registry; use a shorter build folder.")
endif()
configure_file(${PROJECT_SOURCE_DIR}/data/tazu.reg.in ${CMAKE_BINARY_DIR}/bin/tazu.reg @ONLY)
