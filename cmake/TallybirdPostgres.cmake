# The suites that test the cloud container on a PostgreSQL server share one throw-away server per
# CTest run: the `postgres` fixture starts it (scripts/pg-cluster) before the first of them and
# stops and removes it after the last, also when tests fail. A test finds it through the folder
# TALLYBIRD_TEST_POSTGRES names.
set(TALLYBIRD_TEST_POSTGRES_DIR ${CMAKE_BINARY_DIR}/test-postgres)
add_test(NAME postgres_start
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/pg-cluster start ${TALLYBIRD_TEST_POSTGRES_DIR})
set_tests_properties(postgres_start PROPERTIES FIXTURES_SETUP postgres TIMEOUT 120)
add_test(NAME postgres_stop
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/pg-cluster stop ${TALLYBIRD_TEST_POSTGRES_DIR})
set_tests_properties(postgres_stop PROPERTIES FIXTURES_CLEANUP postgres TIMEOUT 60)

# tallybird_test_needs_postgres(<name>): the tests of the module <name> (or the one test of that
# name) run while the server is up and are told where.
function(tallybird_test_needs_postgres name)
    tallybird_tests_of(${name} tests)
    if(NOT tests)
        set(tests ${name})
    endif()
    foreach(test IN LISTS tests)
        set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED postgres)
        set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT
            TALLYBIRD_TEST_POSTGRES=${TALLYBIRD_TEST_POSTGRES_DIR})
    endforeach()
endfunction()
