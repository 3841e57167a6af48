# Helpers shared by every module's CMakeLists.

include(GNUInstallDirs)

# Warnings are errors on CI (CI=true), so that none lands; locally they stay warnings.
if("$ENV{CI}" STREQUAL "true")
  set(werror_default ON)
else()
  set(werror_default OFF)
endif()
option(QUAYLIGHT_WERROR "Treat compiler warnings as errors" ${werror_default})

# Every target of ours links this one to get the project's warnings.
add_library(quaylight_warnings INTERFACE)
target_compile_options(quaylight_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wno-missing-field-initializers
  -Wshadow -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-qual
  $<$<BOOL:${QUAYLIGHT_WERROR}>:-Werror>)

# Every target with Qt code links this one: text reaches QString only through an explicit
# conversion that names its encoding.
add_library(quaylight_qt_settings INTERFACE)
target_compile_definitions(quaylight_qt_settings INTERFACE QT_NO_CAST_FROM_ASCII)

# Where an installed Quaylight lies, in one generated header.
set(QUAYLIGHT_INSTALLED_BINARY_DIR ${CMAKE_INSTALL_FULL_BINDIR})
cmake_path(NORMAL_PATH QUAYLIGHT_INSTALLED_BINARY_DIR)
string(REGEX REPLACE "(.)/$" "\\1" QUAYLIGHT_INSTALLED_BINARY_DIR "${QUAYLIGHT_INSTALLED_BINARY_DIR}")
file(RELATIVE_PATH QUAYLIGHT_LIBRARY_FROM_BINARY_DIR
  ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR}/quaylight)
set(QUAYLIGHT_APPLICATION_LIBRARY_DIR ${CMAKE_INSTALL_LIBDIR}/quaylight)
configure_file(${CMAKE_CURRENT_LIST_DIR}/InstallPaths.h.in
  ${PROJECT_BINARY_DIR}/generated/Quaylight/InstallPaths.h @ONLY)
add_library(quaylight_install_paths INTERFACE)
target_include_directories(quaylight_install_paths INTERFACE ${PROJECT_BINARY_DIR}/generated)

# Test doubles (Manual*, Fake*) live beside the interface they stand in for, but only test
# binaries link them.
set(QUAYLIGHT_TEST_DOUBLE_REGEX "/(Manual|Fake)[A-Za-z]*\\.cpp$")

# Moves the test doubles out of the list named by SOURCES_VAR into the one named by
# DOUBLES_VAR.
function(quaylight_split_test_doubles SOURCES_VAR DOUBLES_VAR)
  set(doubles ${${SOURCES_VAR}})
  list(FILTER doubles INCLUDE REGEX "${QUAYLIGHT_TEST_DOUBLE_REGEX}")
  set(sources ${${SOURCES_VAR}})
  list(FILTER sources EXCLUDE REGEX "${QUAYLIGHT_TEST_DOUBLE_REGEX}")
  set(${SOURCES_VAR} ${sources} PARENT_SCOPE)
  set(${DOUBLES_VAR} ${doubles} PARENT_SCOPE)
endfunction()

# The test-only library <NAME>Testing of the DOUBLES, on top of <NAME> and built like it
# (moc, visibility), with the SETTINGS targets linked privately. Nothing without doubles.
# Usage: quaylight_test_double_library(NAME <target> DOUBLES <sources...> SETTINGS <targets...>)
function(quaylight_test_double_library)
  cmake_parse_arguments(D "" "NAME" "DOUBLES;SETTINGS" ${ARGN})
  if(NOT D_DOUBLES)
    return()
  endif()
  add_library(${D_NAME}Testing STATIC ${D_DOUBLES})
  target_link_libraries(${D_NAME}Testing PRIVATE ${D_SETTINGS} PUBLIC ${D_NAME})
  foreach(property AUTOMOC CXX_VISIBILITY_PRESET VISIBILITY_INLINES_HIDDEN)
    get_target_property(value ${D_NAME} ${property})
    if(value)
      set_target_properties(${D_NAME}Testing PROPERTIES ${property} ${value})
    endif()
  endforeach()
endfunction()

# A Qt-free static library made of every .cpp below the calling folder, and, when the
# folder holds test doubles, the test-only library <target>Testing made of them.
# Usage: quaylight_kit(NAME <target> DEPENDS <targets...>)
function(quaylight_kit)
  cmake_parse_arguments(KIT "" "NAME" "DEPENDS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  quaylight_split_test_doubles(sources doubles)
  add_library(${KIT_NAME} STATIC ${sources})
  # Includes name their kit: #include "ProcessCoreKit/records/ProcessSnapshot.h".
  target_include_directories(${KIT_NAME} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${KIT_NAME} PRIVATE quaylight_warnings)
  target_link_libraries(${KIT_NAME} PUBLIC ${KIT_DEPENDS})
  quaylight_test_double_library(NAME ${KIT_NAME} DOUBLES ${doubles} SETTINGS quaylight_warnings)
endfunction()

# One test binary made of every *_test.cpp below the calling folder. Tests are listed
# before they run (not at link time), so binaries that need an environment still build.
# Usage: quaylight_test(NAME <target> DEPENDS <targets...> [OWN_MAIN | QT_MAIN]
#                       [GLOBS <patterns...>] [EXCLUDE <regexes...>] [LIVE <patterns...>])
# OWN_MAIN: the binary brings its own main (for example to set up a QApplication).
# QT_MAIN: the shared main for widget tests (offscreen QApplication, bundled fonts).
# GLOBS: source patterns relative to the calling folder (default: every .cpp below it).
# LIVE: GoogleTest patterns ("Suite.*", "Suite.Test") of the tests that start processes or
# open sockets; they get the ctest label "live".
function(quaylight_test)
  cmake_parse_arguments(T "OWN_MAIN;QT_MAIN" "NAME" "DEPENDS;GLOBS;EXCLUDE;LIVE" ${ARGN})
  if(NOT T_GLOBS)
    set(T_GLOBS "*.cpp")
  endif()
  set(sources "")
  foreach(pattern IN LISTS T_GLOBS)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${pattern})
    list(APPEND sources ${found})
  endforeach()
  foreach(regex IN LISTS T_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "${regex}")
  endforeach()
  if(T_QT_MAIN)
    list(APPEND sources ${PROJECT_SOURCE_DIR}/tests/Quaylight/QtTestMain.cpp)
    set(T_OWN_MAIN ON)
  endif()
  add_executable(${T_NAME} ${sources})
  if(T_QT_MAIN)
    target_link_libraries(${T_NAME} PRIVATE quaylight_qt_settings)
  endif()
  target_link_libraries(${T_NAME} PRIVATE quaylight_warnings)
  target_compile_definitions(${T_NAME} PRIVATE
    QUAYLIGHT_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data"
    QUAYLIGHT_FIXTURE_PROCESS="$<TARGET_FILE:quaylight-test-fixture>")
  target_link_libraries(${T_NAME} PRIVATE ${T_DEPENDS} quaylight_test_support GTest::gtest GTest::gmock)
  if(NOT T_OWN_MAIN)
    target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main)
  endif()
  add_dependencies(${T_NAME} quaylight-test-fixture)
  if(T_LIVE)
    # Tests that start processes or open sockets carry the label "live", so that
    # `ctest -LE live` runs the rest alone.
    list(JOIN T_LIVE ":" live)
    gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 30
      TEST_FILTER "${live}" TEST_LIST ${T_NAME}_LIVE PROPERTIES LABELS live)
    gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 30 TEST_FILTER "-${live}")
  else()
    gtest_discover_tests(${T_NAME} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 30)
  endif()
endfunction()

# A Qt static library of the application made of every .cpp below FOLDER (relative to the
# calling folder), less the EXCLUDE regexes, and, when the folder holds test doubles, the
# test-only library <target>Testing made of them.
# Usage: quaylight_qt_library(NAME <target> FOLDER <dir> DEPENDS <targets...> [EXCLUDE <regexes...>])
function(quaylight_qt_library)
  cmake_parse_arguments(L "" "NAME;FOLDER" "DEPENDS;EXCLUDE" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${L_FOLDER}/*.cpp)
  foreach(regex IN LISTS L_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "${regex}")
  endforeach()
  quaylight_split_test_doubles(sources doubles)
  if(NOT sources)
    # A library whose folder is still empty keeps the build graph whole.
    set(sources ${CMAKE_CURRENT_BINARY_DIR}/${L_NAME}_empty.cpp)
    file(WRITE ${sources} "")
  endif()
  add_library(${L_NAME} STATIC ${sources})
  target_include_directories(${L_NAME} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${L_NAME} PRIVATE quaylight_warnings quaylight_qt_settings)
  target_link_libraries(${L_NAME} PUBLIC ${L_DEPENDS})
  set_target_properties(${L_NAME} PROPERTIES
    AUTOMOC ON CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  quaylight_test_double_library(NAME ${L_NAME} DOUBLES ${doubles}
    SETTINGS quaylight_warnings quaylight_qt_settings)
endfunction()
