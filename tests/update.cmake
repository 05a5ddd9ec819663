# Tests of the update notice, against an HTTP server the test runs on 127.0.0.1.
varnek_test(test_update test_update.cpp ScriptedDialogs.h FormFixture.h RecordingModem.h MainWindowParts.h)
target_link_libraries(test_update PRIVATE varnek_core)
