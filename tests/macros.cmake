# Tests of the macros (varnek_test(name sources...) then link varnek_core).
set(VARNEK_MACRO_FIXTURES ${CMAKE_CURRENT_SOURCE_DIR}/fixtures/macros)

varnek_test(test_macros_units test_macros_units.cpp ScriptedDialogs.h)
target_link_libraries(test_macros_units PRIVATE varnek_core)
target_compile_definitions(test_macros_units PRIVATE VARNEK_MACRO_FIXTURES="${VARNEK_MACRO_FIXTURES}")

varnek_test(test_macros_editor test_macros_editor.cpp ScriptedDialogs.h)
target_link_libraries(test_macros_editor PRIVATE varnek_core)
