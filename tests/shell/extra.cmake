# Window fit on real screen sizes: the same test under Xvfb at each size.
add_executable(xvfb_screen_fit ${CMAKE_CURRENT_LIST_DIR}/xvfb_screen_fit.cpp)
target_link_libraries(xvfb_screen_fit PRIVATE testkit sensavo_core sensavo_res hidsim Qt5::Test)
foreach(size 1280x800 1024x768)
  add_test(NAME screen_fit_${size}
           COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/under_xvfb.sh ${size} $<TARGET_FILE:xvfb_screen_fit>)
  set_tests_properties(screen_fit_${size} PROPERTIES
      ENVIRONMENT "SENSAVO_SOURCE_DIR=${CMAKE_SOURCE_DIR};SENSAVO_BINARY_DIR=${CMAKE_BINARY_DIR}"
      TIMEOUT 300)
endforeach()
