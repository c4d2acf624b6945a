# The test key for signed definition updates. A build tree configured with
# SUITE_TRUST_TEST_DEFINITION_KEY generates its own RSA-3072 key pair once, with openssl, in
# ${CMAKE_BINARY_DIR}/definition_test_key: SuiteCore of that tree trusts its public half, and
# the tests sign with its private half. The private key never leaves the tree and no two trees
# share one, so a debug build that escapes trusts a key only its own build machine holds.
#
# suite_definition_test_key(target): makes the target trust the key (compile definition and
# the generated blob); sets SUITE_DEFINITION_TEST_KEY_DIR.
function(suite_definition_test_key target)
    if(NOT SUITE_TRUST_TEST_DEFINITION_KEY)
        return()
    endif()
    find_program(SUITE_OPENSSL openssl PATHS /usr/bin /bin NO_DEFAULT_PATH)
    if(NOT SUITE_OPENSSL)
        message(FATAL_ERROR "SUITE_TRUST_TEST_DEFINITION_KEY needs the openssl command: run scripts/setup")
    endif()
    set(dir ${CMAKE_BINARY_DIR}/definition_test_key)
    set(pem ${dir}/test_definition_key.pem)
    set(blob ${dir}/test_definition_key.blob)
    file(MAKE_DIRECTORY ${dir})
    if(NOT EXISTS ${pem} OR NOT EXISTS ${blob})
        execute_process(COMMAND ${SUITE_OPENSSL} genrsa -out ${pem} 3072
            RESULT_VARIABLE failed OUTPUT_QUIET ERROR_QUIET)
        if(NOT failed)
            execute_process(COMMAND ${SUITE_OPENSSL} rsa -in ${pem} -pubout -outform MSBLOB -out ${blob}
                RESULT_VARIABLE failed OUTPUT_QUIET ERROR_QUIET)
        endif()
        if(failed)
            file(REMOVE ${pem} ${blob})
            message(FATAL_ERROR "openssl could not make the test definition key in ${dir}")
        endif()
    endif()
    file(READ ${blob} hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1, " bytes "${hex}")
    file(CONFIGURE OUTPUT ${dir}/test_definition_key.inc CONTENT "${bytes}\n")
    target_compile_definitions(${target} PRIVATE SUITE_TRUST_TEST_DEFINITION_KEY)
    target_include_directories(${target} PRIVATE ${dir})
    set(SUITE_DEFINITION_TEST_KEY_DIR ${dir} PARENT_SCOPE)
endfunction()
