# Tests of the macros (varnek_test(name sources...) then link varnek_core).
set(VARNEK_MACRO_FIXTURES ${CMAKE_CURRENT_SOURCE_DIR}/fixtures/macros)

varnek_test(test_macros_units test_macros_units.cpp ScriptedDialogs.h)
target_link_libraries(test_macros_units PRIVATE varnek_core)
target_compile_definitions(test_macros_units PRIVATE VARNEK_MACRO_FIXTURES="${VARNEK_MACRO_FIXTURES}")

varnek_test(test_macros_editor test_macros_editor.cpp ScriptedDialogs.h)
target_link_libraries(test_macros_editor PRIVATE varnek_core)

varnek_test(test_macros_bar test_macros_bar.cpp FormFixture.h RecordingModem.h ScriptedDialogs.h)
target_link_libraries(test_macros_bar PRIVATE varnek_core)

# The wizard's general call on the real library's loopback, by button and by F1.
varnek_test(test_macros_e2e test_macros_e2e.cpp ScriptedDialogs.h)
target_link_libraries(test_macros_e2e PRIVATE varnek_core)
set_tests_properties(test_macros_e2e PROPERTIES TIMEOUT 900)
