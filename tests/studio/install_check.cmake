# Installs the build tree into a fresh prefix and builds a copy of the example there with the
# installed programs alone: the hosts must find their data folder, registry file and toolchain
# beside themselves. Expects BUILD_DIR, SOURCE_DIR and WORK_DIR.
file(REMOVE_RECURSE "${WORK_DIR}")
set(prefix "${WORK_DIR}/prefix")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}"
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

foreach(host avrtazu avrtazu-studio)
    set(project "${WORK_DIR}/${host}")
    file(MAKE_DIRECTORY "${project}")
    file(COPY "${SOURCE_DIR}/examples/blink/blink.aps" "${SOURCE_DIR}/examples/blink/main.c"
              "${SOURCE_DIR}/examples/blink/uart.c" "${SOURCE_DIR}/examples/blink/uart.h"
         DESTINATION "${project}")
    if(host STREQUAL "avrtazu")
        set(command "${prefix}/bin/avrtazu" build "${project}/blink.aps")
    else()
        set(command "${prefix}/bin/avrtazu-studio" --screenshots "${WORK_DIR}/shots"
                    "${project}/blink.aps")
    endif()
    # Nothing of the build tree may help: no registry file named from outside.
    execute_process(COMMAND "${CMAKE_COMMAND}" -E env --unset=TAZU_REGISTRY
                            QT_QPA_PLATFORM=offscreen ${command}
                    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
    if(NOT status EQUAL 0 OR NOT EXISTS "${project}/default/blink.cof")
        message(FATAL_ERROR "The installed ${host} did not build the example (${status}):\n"
                            "${output}\n${errors}")
    endif()
    file(READ "${project}/default/build.bat" batch)
    string(FIND "${batch}" "prefix\\lib\\avrtazu\\tazu\\bin" installed_tools)
    if(installed_tools EQUAL -1)
        message(FATAL_ERROR "The installed ${host} did not use the installed toolchain:\n${batch}")
    endif()
endforeach()
file(REMOVE_RECURSE "${WORK_DIR}")
