# The setup dialog: its rules and widgets without a window, the dialog itself on the
# recording modem, and the COM ports on the real library with a pseudo-terminal.
varnek_test(test_settings_rules test_settings_rules.cpp SetupFixture.h)
target_link_libraries(test_settings_rules PRIVATE varnek_core)

varnek_test(test_settings_dialog test_settings_dialog.cpp SetupFixture.h RecordingModem.h ScriptedDialogs.h)
target_link_libraries(test_settings_dialog PRIVATE varnek_core)

varnek_test(test_settings_pty test_settings_pty.cpp SetupFixture.h RecordingModem.h ScriptedDialogs.h)
target_link_libraries(test_settings_pty PRIVATE varnek_core)

varnek_test(test_settings_apply test_settings_apply.cpp SetupFixture.h FormFixture.h MainWindowParts.h
            RecordingModem.h ScriptedDialogs.h)
target_link_libraries(test_settings_apply PRIVATE varnek_core)
