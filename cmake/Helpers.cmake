# Small helpers shared by the test, benchmark and fuzz folders.

# cm_add_test_folder(NAME LIBS lib...): one GoogleTest executable from every .cpp in the calling folder.
function(cm_add_test_folder name)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    add_executable(${name} ${sources})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main test_support)
    gtest_discover_tests(${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin DISCOVERY_TIMEOUT 60
                         PROPERTIES ENVIRONMENT "CM_TEST_DATA=${PROJECT_SOURCE_DIR}/tests/data;CM_BIN=${CMAKE_BINARY_DIR}/bin")
endfunction()

# cm_add_benchmark(NAME SOURCES src... LIBS lib...)
function(cm_add_benchmark name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark)
endfunction()

# cm_add_fuzzer(NAME SOURCES src... LIBS lib...): a libFuzzer target under clang with CM_FUZZ, and
# otherwise a replay program that runs the seed corpus plus random mutations as a CTest case.
function(cm_add_fuzzer name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    if(CM_FUZZ)
        add_executable(${name} ${ARG_SOURCES})
        target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
        target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
        target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    else()
        add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/fuzz/ReplayMain.cpp)
        target_link_libraries(${name} PRIVATE ${ARG_LIBS})
        if(CM_TESTS)
            add_test(NAME ${name}_replay
                     COMMAND ${name} ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name} --mutations 3000)
        endif()
    endif()
endfunction()
