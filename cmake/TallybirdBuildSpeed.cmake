# What keeps the build fast enough for CI on two cores, applied to every target once all exist
# (tallybird_speed_up_targets at the end of the top-level CMakeLists.txt):
#
# Test code compiles without optimisation, in every build type. The test files are over half of
# the compile time (GoogleTest's macros expand into much code that the optimiser then works on)
# and little of the run time; the code they test keeps the build type's optimisation. A target
# is test code when it links GoogleTest.
#
# Precompiled headers. Nearly every file includes QtCore and the JSON library, and every test
# file GoogleTest: each of these is parsed once per build in a small host target, and every
# other target reuses its host's precompiled header (REUSE_FROM) instead of parsing them again
# file by file.
#
# GCC takes a precompiled header only when the file is compiled with the flags it was built with
# and with every macro it was built with (extra macros are fine). So there is one host per kind
# of target, made the first time a target of that kind is met: the core's libraries and
# programs, the test programs (GoogleTest adds its macros), and each of those with Qt Widgets
# for the screens. A target's kind comes from what it links. A header that cannot be used is
# reported by -Winvalid-pch (an error under TALLYBIRD_WERROR), so a wrong kind never passes
# unnoticed: the file is only compiled the slow way.
#
# The headers below become visible to every file; build once with -DTALLYBIRD_PCH=OFF before a
# release to catch a missing #include. A precompiled header costs each file that uses it the
# templates its inline functions use, instantiated again at the end of every file: the JSON
# library's full header alone came to a second a file, while five files in six need only its
# forward declarations, so the others include the full header themselves.
#
# Test programs are compiled eight files at a time (a unity build): most of a test file's time
# goes to instantiating the same GoogleTest, Qt and JSON templates as its neighbours, so a batch
# of eight takes about as long as three of its files alone. Within one test program, a helper or
# constant in an anonymous namespace then needs a name no other file of that program uses: two of
# one name in a batch are a compile error or, with different parameters, overloads of each other.
# -Wno-subobject-linkage: a fixture in an anonymous namespace is fine in its own file, and GCC
# warns only because that file is no longer the one being compiled.
# -DTALLYBIRD_UNITY_TESTS=OFF compiles test files one by one, quicker while editing one of them.
option(TALLYBIRD_PCH "Precompile the Qt, JSON and GoogleTest headers" ON)
option(TALLYBIRD_UNITY_TESTS "Compile each test program's files in batches" ON)
# Last on the command line, so they win over the build type's -O2.
set(TALLYBIRD_TEST_COMPILE_OPTIONS -O0)

set(TALLYBIRD_PCH_CORE_HEADERS
    <QByteArray> <QDir> <QFile> <QFileInfo> <QHash> <QList> <QMap> <QObject> <QPointer> <QSet>
    <QString> <QStringList> <QTimer>
    <nlohmann/json_fwd.hpp>
    <algorithm> <functional> <map> <memory> <optional> <set> <utility> <variant> <vector>)
set(TALLYBIRD_PCH_TEST_HEADERS <QTemporaryDir> <gtest/gtest.h>)
set(TALLYBIRD_PCH_WIDGETS_HEADERS
    <QApplication> <QColor> <QFont> <QPainter> <QPalette> <QWidget>)

# The host of one kind ("core", "test", "widgets" or "test_widgets"), made when first asked for.
function(_tallybird_pch_host kind out)
    set(host tallybird_pch_${kind})
    if(NOT TARGET ${host})
        set(headers ${TALLYBIRD_PCH_CORE_HEADERS})
        set(libraries Qt6::Core nlohmann_json::nlohmann_json)
        if(kind MATCHES "test")
            list(APPEND headers ${TALLYBIRD_PCH_TEST_HEADERS})
            list(APPEND libraries GTest::gtest)
        endif()
        if(kind MATCHES "widgets")
            list(APPEND headers ${TALLYBIRD_PCH_WIDGETS_HEADERS})
            list(APPEND libraries Qt6::Widgets)
        endif()
        set(source ${CMAKE_BINARY_DIR}/pch/${host}.cpp)
        file(CONFIGURE OUTPUT ${source} CONTENT "// Host of a precompiled header; no code.\n")
        add_library(${host} STATIC ${source})
        if(kind MATCHES "test")
            target_compile_options(${host} PRIVATE ${TALLYBIRD_TEST_COMPILE_OPTIONS})
        endif()
        target_link_libraries(${host} PRIVATE ${libraries})
        target_precompile_headers(${host} PRIVATE ${headers})
        set_target_properties(${host} PROPERTIES AUTOMOC OFF AUTORCC OFF AUTOUIC OFF)
    endif()
    set(${out} ${host} PARENT_SCOPE)
endfunction()

# True in `out` when `target` links `wanted`, directly or through one of the project's targets.
function(_tallybird_links target wanted out)
    set(seen "")
    set(queue ${target})
    set(found FALSE)
    while(queue AND NOT found)
        list(POP_FRONT queue current)
        if(current IN_LIST seen OR NOT TARGET ${current})
            continue()
        endif()
        list(APPEND seen ${current})
        get_target_property(imported ${current} IMPORTED)
        if(imported)
            continue()
        endif()
        get_target_property(direct ${current} LINK_LIBRARIES)
        get_target_property(interface ${current} INTERFACE_LINK_LIBRARIES)
        foreach(library IN LISTS direct interface)
            # Static libraries name their private dependencies as $<LINK_ONLY:...>.
            string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" library "${library}")
            if(library STREQUAL wanted)
                set(found TRUE)
            elseif(TARGET ${library})
                list(APPEND queue ${library})
            endif()
        endforeach()
    endwhile()
    set(${out} ${found} PARENT_SCOPE)
endfunction()

# Gives every C++ target under `directory` the options of its kind and its precompiled header.
function(tallybird_speed_up_targets directory)
    get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(NOT type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|OBJECT_LIBRARY)$"
           OR target MATCHES "^tallybird_pch_")
            continue()
        endif()
        _tallybird_links(${target} GTest::gtest is_test)
        _tallybird_links(${target} Qt6::Widgets uses_widgets)
        set(kind "")
        if(is_test)
            set(kind test)
            target_compile_options(${target} PRIVATE ${TALLYBIRD_TEST_COMPILE_OPTIONS})
            if(TALLYBIRD_UNITY_TESTS)
                set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 8)
                target_compile_options(${target} PRIVATE -Wno-subobject-linkage)
            endif()
        endif()
        if(uses_widgets)
            string(JOIN _ kind ${kind} widgets)
        elseif(NOT kind)
            set(kind core)
        endif()
        # A program without Qt (a tool in plain C++) has nothing to share with the hosts.
        _tallybird_links(${target} Qt6::Core uses_qt)
        if(TALLYBIRD_PCH AND uses_qt)
            _tallybird_pch_host(${kind} host)
            target_precompile_headers(${target} REUSE_FROM ${host})
        endif()
    endforeach()
    get_property(subdirectories DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
    foreach(subdirectory IN LISTS subdirectories)
        tallybird_speed_up_targets(${subdirectory})
    endforeach()
endfunction()
