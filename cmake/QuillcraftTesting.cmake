# quillcraft_add_test(<name> SOURCES <files...> LIBS <targets...> [LABELS unit|e2e] [GUI])
# One executable per tested class or concept, registered with CTest through
# gtest_discover_tests. GUI tests get a QApplication on the offscreen platform
# unless they are labelled e2e (which run on the harness's X server).
function(quillcraft_add_test name)
    cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS;LABELS" ${ARGN})
    if(NOT ARG_LABELS)
        set(ARG_LABELS unit)
    endif()
    add_executable(${name} ${ARG_SOURCES})
    if(ARG_GUI)
        target_link_libraries(${name} PRIVATE quillcraft_test_main_gui)
    else()
        target_link_libraries(${name} PRIVATE quillcraft_test_main)
    endif()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock)
    set(env "QT_ASSUME_STDERR_HAS_CONSOLE=1")
    if(NOT "e2e" IN_LIST ARG_LABELS)
        list(APPEND env "QT_QPA_PLATFORM=offscreen")
    endif()
    # gtest_discover_tests passes its PROPERTIES through a generated script that splits every
    # list into separate arguments (two labels or two variables would become property names),
    # so the properties are set by a script of ours, read by CTest after the discovered tests.
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        TEST_LIST ${name}_TESTS)
    set(properties "${CMAKE_CURRENT_BINARY_DIR}/${name}_properties.cmake")
    file(WRITE "${properties}"
        "foreach(test IN LISTS ${name}_TESTS)\n"
        "    set_tests_properties(\"\${test}\" PROPERTIES LABELS \"${ARG_LABELS}\" ENVIRONMENT \"${env}\" TIMEOUT 300)\n"
        "endforeach()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${properties}")
endfunction()
