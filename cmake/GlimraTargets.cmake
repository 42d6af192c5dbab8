# glimra_library(NAME DIRS dir... [EXCLUDE dir...] DEPS target...)
# Builds one static library from every .cpp in the listed source folders, leaving out
# the EXCLUDE folders (which another target builds).
function(glimra_library name)
  cmake_parse_arguments(ARG "" "" "DIRS;EXCLUDE;DEPS" ${ARGN})
  set(sources "")
  foreach(dir IN LISTS ARG_DIRS)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/${dir}/*.cpp")
    list(APPEND sources ${found})
  endforeach()
  foreach(dir IN LISTS ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "^${PROJECT_SOURCE_DIR}/${dir}/")
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# glimra_test_suite(NAME DIR dir [EXCLUDE dir...] DEPS target... [LABELS label...])
# One GoogleTest executable from every .cpp in the test folder but the EXCLUDE folders.
function(glimra_test_suite name)
  cmake_parse_arguments(ARG "" "DIR" "DEPS;LABELS;EXCLUDE" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/${ARG_DIR}/*.cpp")
  foreach(dir IN LISTS ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "^${CMAKE_CURRENT_SOURCE_DIR}/${dir}/")
  endforeach()
  if(NOT sources)
    return()
  endif()
  # Every test program works in a temporary folder of its own.
  add_executable(${name} ${sources} ${PROJECT_SOURCE_DIR}/tests/testtempfolder.cpp)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    GLIMRA_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    GLIMRA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    GLIMRA_TEST_FONTCONFIG="${GLIMRA_TEST_FONTCONFIG}")
  # An empty label list would vanish from the property pairs and take the environment's name.
  set(labels "")
  if(ARG_LABELS)
    set(labels LABELS "${ARG_LABELS}")
  endif()
  # Listing a sanitized test program takes seconds on a machine busy with other work, past
  # the 5 s the listing is given by default.
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 300
    PROPERTIES ${labels} ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
