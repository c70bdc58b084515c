# tallybird_test(<module> SOURCES <files...> LIBRARIES <targets...> [SHARDS <n>])
# Builds one GoogleTest executable for a module and registers it with CTest.
# Tests never touch the user's real folders: HOME and the XDG folders point into the build tree.
# A suite too long for one test's time bound runs as <n> CTest tests (<module>_1 … <module>_<n>),
# each a GoogleTest shard of the same executable with a home of its own, so that they also run
# side by side; every test of the executable is in exactly one shard.
function(tallybird_test module)
    cmake_parse_arguments(ARG "" "SHARDS" "SOURCES;LIBRARIES" ${ARGN})
    set(target ${module}_tests)
    add_executable(${target} ${ARG_SOURCES})
    target_link_libraries(${target} PRIVATE ${ARG_LIBRARIES} test_support GTest::gtest GTest::gtest_main
        Qt6::Test)
    if(NOT ARG_SHARDS OR ARG_SHARDS LESS 2)
        tallybird_register_test(${module} ${target} ${module} "")
        set_property(GLOBAL PROPERTY TALLYBIRD_TESTS_${module} ${module})
        return()
    endif()
    set(names)
    math(EXPR last "${ARG_SHARDS} - 1")
    foreach(index RANGE ${last})
        math(EXPR number "${index} + 1")
        set(name ${module}_${number})
        tallybird_register_test(${name} ${target} ${name}
            "GTEST_TOTAL_SHARDS=${ARG_SHARDS};GTEST_SHARD_INDEX=${index}")
        list(APPEND names ${name})
    endforeach()
    set_property(GLOBAL PROPERTY TALLYBIRD_TESTS_${module} ${names})
endfunction()

function(tallybird_register_test name target home extra_environment)
    set(sandbox ${CMAKE_BINARY_DIR}/test-home/${home})
    add_test(NAME ${name} COMMAND ${target})
    set_tests_properties(${name} PROPERTIES
        TIMEOUT 600
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;HOME=${sandbox};XDG_DATA_HOME=${sandbox}/data;XDG_CONFIG_HOME=${sandbox}/config;XDG_CACHE_HOME=${sandbox}/cache;XDG_RUNTIME_DIR=${sandbox}/run;${extra_environment}")
    file(MAKE_DIRECTORY ${sandbox}/run)
endfunction()

# The CTest tests that run a module's suite.
function(tallybird_tests_of module out)
    get_property(names GLOBAL PROPERTY TALLYBIRD_TESTS_${module})
    set(${out} ${names} PARENT_SCOPE)
endfunction()
