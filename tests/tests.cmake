# Test programs of the folders after the platform layer: vermaline_test(<folder> <libraries>).
vermaline_test(tiffwriter vermaline_tiffwriter)
vermaline_test(reduce vermaline_reduce)
vermaline_test(color vermaline_color)
vermaline_test(app vermaline_app)
if(TARGET test_app)
  # The command-line tests run the program itself.
  add_dependencies(test_app vermaline-convert)
  target_compile_definitions(test_app PRIVATE VERMALINE_CONVERT="$<TARGET_FILE:vermaline-convert>")
endif()
if(VERMALINE_GUI)
  # The windows' tests, under the offscreen platform; they also run vermaline-convert.
  file(GLOB gui_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/gui/*_test.cpp)
  if(gui_test_sources)
    add_executable(test_gui ${gui_test_sources})
    target_link_libraries(test_gui PRIVATE vermaline_gui vermaline_test_support GTest::gtest_main)
    add_dependencies(test_gui vermaline-convert)
    target_compile_definitions(test_gui PRIVATE VERMALINE_CONVERT="$<TARGET_FILE:vermaline-convert>")
    gtest_discover_tests(test_gui DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                         PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 600)
  endif()
endif()
