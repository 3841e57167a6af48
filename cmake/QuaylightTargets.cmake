# Helpers shared by every module's CMakeLists.

set(QUAYLIGHT_WARNINGS -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)

# A Qt-free static library made of every .cpp below the calling folder.
# Usage: quaylight_kit(NAME <target> DEPENDS <targets...>)
function(quaylight_kit)
  cmake_parse_arguments(KIT "" "NAME" "DEPENDS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${KIT_NAME} STATIC ${sources})
  # Includes name their kit: #include "ProcessCoreKit/records/ProcessSnapshot.h".
  target_include_directories(${KIT_NAME} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${KIT_NAME} PRIVATE ${QUAYLIGHT_WARNINGS})
  target_link_libraries(${KIT_NAME} PUBLIC ${KIT_DEPENDS})
endfunction()

# One test binary made of every *_test.cpp below the calling folder. Tests are listed
# before they run (not at link time), so binaries that need an environment still build.
# Usage: quaylight_test(NAME <target> DEPENDS <targets...> [OWN_MAIN])
# OWN_MAIN: the binary brings its own main (for example to set up a QApplication).
function(quaylight_test)
  cmake_parse_arguments(T "OWN_MAIN" "NAME" "DEPENDS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_executable(${T_NAME} ${sources})
  target_compile_options(${T_NAME} PRIVATE ${QUAYLIGHT_WARNINGS})
  target_compile_definitions(${T_NAME} PRIVATE
    QUAYLIGHT_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data"
    QUAYLIGHT_FIXTURE_PROCESS="$<TARGET_FILE:quaylight-test-fixture>")
  target_link_libraries(${T_NAME} PRIVATE ${T_DEPENDS} quaylight_test_support GTest::gtest GTest::gmock)
  if(NOT T_OWN_MAIN)
    target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main)
  endif()
  add_dependencies(${T_NAME} quaylight-test-fixture)
  gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 30)
endfunction()
