# The desktop host avrtazu-studio: its window classes as a library the tests link, and the
# program. Included from host/CMakeLists.txt after the shared host library and the plug-in.
set(AVRTAZU_STUDIO_DIR ${CMAKE_CURRENT_LIST_DIR})
file(GLOB AVRTAZU_STUDIO_SOURCES CONFIGURE_DEPENDS ${AVRTAZU_STUDIO_DIR}/*.cpp)
list(FILTER AVRTAZU_STUDIO_SOURCES EXCLUDE REGEX "_main\\.cpp$")
add_library(avrtazu_studio STATIC ${AVRTAZU_STUDIO_SOURCES} ${AVRTAZU_STUDIO_DIR}/studio.qrc)
set_target_properties(avrtazu_studio PROPERTIES AUTOMOC ON AUTORCC ON)
target_link_libraries(avrtazu_studio PUBLIC avrtazu_host avrtazu_plugin Qt6::Widgets)
target_compile_definitions(avrtazu_studio PRIVATE AVRTAZU_VERSION="${PROJECT_VERSION}")

add_executable(avrtazu-studio ${AVRTAZU_STUDIO_DIR}/studio_main.cpp)
target_link_libraries(avrtazu-studio PRIVATE avrtazu_studio)
target_compile_definitions(avrtazu-studio PRIVATE AVRTAZU_VERSION="${PROJECT_VERSION}")
set_target_properties(avrtazu-studio PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${AVRTAZU_BIN_DIR})

include(${AVRTAZU_STUDIO_DIR}/install.cmake)
