# Tests of this subsystem (varnek_test(name sources...) then link varnek_core).
varnek_test(test_tracks_panel test_tracks_panel.cpp RecordingModem.h ScriptedDialogs.h FormFixture.h)
target_link_libraries(test_tracks_panel PRIVATE varnek_core)

varnek_test(test_transmit_control test_transmit_control.cpp RecordingModem.h ScriptedDialogs.h FormFixture.h)
target_link_libraries(test_transmit_control PRIVATE varnek_core)
