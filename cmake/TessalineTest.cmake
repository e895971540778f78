# tessaline_test(NAME LABEL label SOURCES a.cpp ... LIBS lib ... [FIXTURE dovecot] [GUI])
# One Qt Test executable per class, labelled after its subsystem folder.
function(tessaline_test name)
    cmake_parse_arguments(T "GUI" "LABEL;TIMEOUT" "SOURCES;LIBS;FIXTURES" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} tessaline_testsupport Qt6::Test)
    target_compile_definitions(${name} PRIVATE TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
    add_test(NAME ${name} COMMAND ${name})
    set(env "QT_QPA_PLATFORM=offscreen" "LANG=C.UTF-8" "LC_ALL=C.UTF-8" "TZ=UTC"
            "TESSALINE_FIXTURE_DIR=${CMAKE_BINARY_DIR}/fixture"
            # The start-up online check must not reach the network in tests: a local stand-in replies.
            "TESSALINE_PING_COMMAND=echo 64 bytes from 127.0.0.1")
    if(TESSALINE_SANITIZE)
        list(APPEND env ${TESSALINE_SANITIZER_ENV})
    endif()
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABEL}" ENVIRONMENT "${env}" TIMEOUT ${T_TIMEOUT})
    if(T_FIXTURES)
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "${T_FIXTURES}")
    endif()
endfunction()
