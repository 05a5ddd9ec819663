# Tests of this subsystem (varnek_test(name sources...) then link varnek_core).
set(VARNEK_ADIF_FIXTURES ${CMAKE_CURRENT_SOURCE_DIR}/fixtures/adif)

varnek_test(test_log_format test_log_format.cpp)
target_link_libraries(test_log_format PRIVATE varnek_core)
target_compile_definitions(test_log_format PRIVATE VARNEK_ADIF_FIXTURES="${VARNEK_ADIF_FIXTURES}")

varnek_test(test_log_qsobox test_log_qsobox.cpp test_log_support.h FormFixture.h RecordingModem.h ScriptedDialogs.h)
target_link_libraries(test_log_qsobox PRIVATE varnek_core)
target_compile_definitions(test_log_qsobox PRIVATE VARNEK_ADIF_FIXTURES="${VARNEK_ADIF_FIXTURES}")

varnek_test(test_log_viewer test_log_viewer.cpp test_log_support.h ScriptedDialogs.h)
target_link_libraries(test_log_viewer PRIVATE varnek_core)
target_compile_definitions(test_log_viewer PRIVATE VARNEK_ADIF_FIXTURES="${VARNEK_ADIF_FIXTURES}")
