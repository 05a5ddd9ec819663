# Tests of the help: the compiled manual, its topics and context help.
varnek_test(test_help test_help.cpp FormFixture.h RecordingModem.h ScriptedDialogs.h)
target_link_libraries(test_help PRIVATE varnek_core)
add_dependencies(test_help varnek_help)
