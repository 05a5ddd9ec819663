# Tests of this subsystem (varnek_test(name sources...) then link varnek_core).
varnek_test(test_tracks_panel test_tracks_panel.cpp RecordingModem.h ScriptedDialogs.h FormFixture.h)
target_link_libraries(test_tracks_panel PRIVATE varnek_core)

varnek_test(test_transmit_control test_transmit_control.cpp RecordingModem.h ScriptedDialogs.h FormFixture.h)
target_link_libraries(test_transmit_control PRIVATE varnek_core)

# On the real library's simulated band and loopback; decoding takes a while.
varnek_test(test_tracks_e2e test_tracks_e2e.cpp ScriptedDialogs.h)
target_link_libraries(test_tracks_e2e PRIVATE varnek_core)
set_tests_properties(test_tracks_e2e PROPERTIES TIMEOUT 900)
