# tessaline_test(NAME LABEL label SOURCES a.cpp ... LIBS lib ... [FIXTURE dovecot] [GUI] [KEYRING])
# One Qt Test executable per class, labelled after its subsystem folder. KEYRING runs it inside a
# private D-Bus session with an unlocked secret store.
function(tessaline_test name)
    cmake_parse_arguments(T "GUI;KEYRING" "LABEL;TIMEOUT" "SOURCES;LIBS;FIXTURES" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} tessaline_testsupport Qt6::Test)
    target_compile_definitions(${name} PRIVATE TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
    if(T_KEYRING)
        add_test(NAME ${name} COMMAND bash ${PROJECT_SOURCE_DIR}/tests/common/with-keyring.sh
            $<TARGET_FILE:${name}>)
    else()
        add_test(NAME ${name} COMMAND ${name})
    endif()
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

# tessaline_test_without_secret_store(NAME CASE...)
# Runs the named cases of test NAME again as NAMEWithoutSecretStore, where the session bus
# address leads nowhere, so no secret service answers.
function(tessaline_test_without_secret_store name)
    add_test(NAME ${name}WithoutSecretStore COMMAND ${name} ${ARGN})
    get_test_property(${name} ENVIRONMENT env)
    get_test_property(${name} LABELS labels)
    get_test_property(${name} TIMEOUT timeout)
    set_tests_properties(${name}WithoutSecretStore PROPERTIES LABELS "${labels}" TIMEOUT ${timeout}
        ENVIRONMENT "${env};DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/tessaline-bus")
    get_test_property(${name} FIXTURES_REQUIRED fixtures)
    if(fixtures)
        set_tests_properties(${name}WithoutSecretStore PROPERTIES FIXTURES_REQUIRED "${fixtures}")
    endif()
endfunction()
