# termora_library(<name> DEPS <targets...>)
# Builds every .cpp/.h in the calling folder (not its subfolders) into a static library.
function(termora_library name)
  cmake_parse_arguments(TL "" "" "DEPS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  list(FILTER _src EXCLUDE REGEX "/main\\.cpp$")
  if(NOT _src)
    # A folder whose code has not been written yet still links, so the tree always configures.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${TL_DEPS})
    return()
  endif()
  add_library(${name} STATIC ${_src})
  # Includes are rooted at src/ ("engine/RichEngine.h"), so an include line shows its layer.
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${TL_DEPS})
endfunction()

# termora_test(<name> DEPS <targets...>): one GoogleTest program from every .cpp in the calling
# folder, run headless through ctest under the tests' own font configuration.
function(termora_test name)
  cmake_parse_arguments(TT "" "" "DEPS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT _src)
    return()
  endif()
  add_executable(${name} ${_src})
  target_link_libraries(${name} PRIVATE termora_testmain ${TT_DEPS})
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;FONTCONFIG_FILE=${TERMORA_TEST_FONTCONFIG}"
                       TIMEOUT 900
                       WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
