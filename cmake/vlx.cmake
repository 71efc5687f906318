# One static library per source folder, one test program per test folder.
# Sources are globbed so that adding a file needs no edit here.

function(vlx_library name)
  cmake_parse_arguments(A "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} STATIC ${srcs} ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR} ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${A_DEPS})
endfunction()

# LibreOffice read-backs: one soffice run may take VLX_READER_SECONDS (a load of four copies of the
# suite at once); a test whose name holds "LibreOffice" may run it twice beside its conversions.
set(VLX_READER_SECONDS 600)
math(EXPR VLX_READER_TEST_SECONDS "2 * ${VLX_READER_SECONDS} + 300")

function(vlx_test name)
  cmake_parse_arguments(A "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs} ${PROJECT_SOURCE_DIR}/tests/test_env.cpp)
  target_compile_definitions(${name} PRIVATE VLX_SOURCE_DIR="${PROJECT_SOURCE_DIR}" VLX_BINARY_DIR="${PROJECT_BINARY_DIR}")
  target_link_libraries(${name} PRIVATE ${A_DEPS} vlx_testsupport GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_FILTER "-*LibreOffice*")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_FILTER "*LibreOffice*"
                       PROPERTIES TIMEOUT ${VLX_READER_TEST_SECONDS})
endfunction()
