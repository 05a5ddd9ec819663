# The build installs into a temporary prefix and the installed program starts.
add_test(NAME test_install
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/install_smoke.sh ${CMAKE_COMMAND} ${PROJECT_BINARY_DIR}
                 ${CMAKE_CURRENT_BINARY_DIR}/install-smoke)
set_tests_properties(test_install PROPERTIES TIMEOUT 300)
