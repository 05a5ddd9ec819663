# Tests of the About box and the system-information report.
varnek_test(test_about test_about.cpp FormFixture.h RecordingModem.h ScriptedDialogs.h MainWindowParts.h)
target_link_libraries(test_about PRIVATE varnek_core)
target_compile_definitions(test_about PRIVATE VARNEK_SYSINFO_FIXTURES="${CMAKE_CURRENT_SOURCE_DIR}/fixtures/sysinfo")
