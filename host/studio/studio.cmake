# The desktop host avrtazu-studio: its window classes as a library the tests link, and the
# program. Included from host/CMakeLists.txt after the shared host library and the plug-in.
set(AVRTAZU_STUDIO_DIR ${CMAKE_CURRENT_LIST_DIR})
# The editor widget: QScintilla for Qt 6 (Debian: libqscintilla2-qt6-dev), beside Qt's headers.
get_target_property(AVRTAZU_QT_INCLUDES Qt6::Core INTERFACE_INCLUDE_DIRECTORIES)
find_path(AVRTAZU_QSCINTILLA_INCLUDE Qsci/qsciscintilla.h HINTS ${AVRTAZU_QT_INCLUDES}
          PATH_SUFFIXES qt6 x86_64-linux-gnu/qt6)
find_library(AVRTAZU_QSCINTILLA_LIBRARY NAMES qscintilla2_qt6)
if(NOT AVRTAZU_QSCINTILLA_INCLUDE OR NOT AVRTAZU_QSCINTILLA_LIBRARY)
    message(FATAL_ERROR "avrtazu-studio needs QScintilla for Qt 6: run scripts/setup")
endif()
file(GLOB AVRTAZU_STUDIO_SOURCES CONFIGURE_DEPENDS ${AVRTAZU_STUDIO_DIR}/*.cpp)
list(FILTER AVRTAZU_STUDIO_SOURCES EXCLUDE REGEX "_main\\.cpp$")
add_library(avrtazu_studio STATIC ${AVRTAZU_STUDIO_SOURCES} ${AVRTAZU_STUDIO_DIR}/studio.qrc)
set_target_properties(avrtazu_studio PROPERTIES AUTOMOC ON AUTORCC ON)
target_include_directories(avrtazu_studio SYSTEM PUBLIC ${AVRTAZU_QSCINTILLA_INCLUDE})
target_link_libraries(avrtazu_studio PUBLIC avrtazu_host avrtazu_plugin Qt6::Widgets
                      ${AVRTAZU_QSCINTILLA_LIBRARY})
target_compile_definitions(avrtazu_studio PRIVATE AVRTAZU_VERSION="${PROJECT_VERSION}")

add_executable(avrtazu-studio ${AVRTAZU_STUDIO_DIR}/studio_main.cpp)
target_link_libraries(avrtazu-studio PRIVATE avrtazu_studio)
target_compile_definitions(avrtazu-studio PRIVATE AVRTAZU_VERSION="${PROJECT_VERSION}")
set_target_properties(avrtazu-studio PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${AVRTAZU_BIN_DIR})
# Run in Simulator runs the helper beside the program.
if(TARGET avrtazu-sim)
    add_dependencies(avrtazu-studio avrtazu-sim)
endif()

include(${AVRTAZU_STUDIO_DIR}/install.cmake)
