# tallybird_test(<module> SOURCES <files...> LIBRARIES <targets...>)
# Builds one GoogleTest executable for a module and registers it with CTest.
# Tests never touch the user's real folders: HOME and the XDG folders point into the build tree.
function(tallybird_test module)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
    set(target ${module}_tests)
    add_executable(${target} ${ARG_SOURCES})
    target_link_libraries(${target} PRIVATE ${ARG_LIBRARIES} test_support GTest::gtest GTest::gtest_main
        Qt6::Test)
    set(sandbox ${CMAKE_BINARY_DIR}/test-home/${module})
    add_test(NAME ${module} COMMAND ${target})
    set_tests_properties(${module} PROPERTIES
        TIMEOUT 600
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;HOME=${sandbox};XDG_DATA_HOME=${sandbox}/data;XDG_CONFIG_HOME=${sandbox}/config;XDG_CACHE_HOME=${sandbox}/cache;XDG_RUNTIME_DIR=${sandbox}/run")
    file(MAKE_DIRECTORY ${sandbox}/run)
endfunction()
