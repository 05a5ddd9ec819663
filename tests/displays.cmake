# Tests of this subsystem (varnek_test(name sources...) then link varnek_core).
varnek_test(test_displays_renderers test_displays_renderers.cpp)
target_link_libraries(test_displays_renderers PRIVATE varnek_core)

varnek_test(test_displays_form test_displays_form.cpp RecordingModem.h ScriptedDialogs.h FormFixture.h)
target_link_libraries(test_displays_form PRIVATE varnek_core)

varnek_test(test_displays_wav test_displays_wav.cpp ScriptedDialogs.h)
target_link_libraries(test_displays_wav PRIVATE varnek_core)
target_compile_definitions(test_displays_wav PRIVATE
  VARNEK_TEST_WAV="${CMAKE_CURRENT_SOURCE_DIR}/fixtures/tone1000.wav")
