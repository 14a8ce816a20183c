# docs_tests.cmake: the manual page renders cleanly and names every command, and each example
# of the user guide gives the output the guide shows. POSIX only: the guide's examples are
# written for a POSIX system, and the manual is rendered with groff and man. The command-mode
# lines of README, the manual and the guide run as printed: from /bin/sh, and for the Windows
# build from Wine's cmd.exe.
set(VREL_START_LINE_FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/docs/vrel.1
                          ${CMAKE_SOURCE_DIR}/docs/guide.md)
if(WIN32)
    add_test(NAME docs_start_lines
             COMMAND ${PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/check_start_lines.py
                     --shell $<TARGET_FILE:vrel> --wine ${CMAKE_CROSSCOMPILING_EMULATOR}
                     ${VREL_START_LINE_FILES})
    set_tests_properties(docs_start_lines PROPERTIES FIXTURES_REQUIRED wine)
else()
    add_test(NAME docs_start_lines
             COMMAND ${PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/check_start_lines.py
                     --shell $<TARGET_FILE:vrel> ${VREL_START_LINE_FILES})
    add_test(NAME docs_manual
             COMMAND ${PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/check_manual.py
                     ${CMAKE_SOURCE_DIR}/docs/vrel.1 ${CMAKE_SOURCE_DIR}/core/builtins.cpp
                     ${CMAKE_SOURCE_DIR}/CMakeLists.txt)
    add_test(NAME docs_guide
             COMMAND ${PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/check_guide.py
                     --shell $<TARGET_FILE:vrel> ${CMAKE_SOURCE_DIR}/docs/guide.md)
endif()
