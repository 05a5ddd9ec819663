# Language files used by the tests, built from hand-written resource scripts
# so the reader is not checked against the program's own generator.
set(VARNEK_LANG_SCRIPTS ${CMAKE_CURRENT_SOURCE_DIR}/fixtures/lang)
set(VARNEK_LANG_FIXTURES ${CMAKE_CURRENT_BINARY_DIR}/lang-fixtures)
file(MAKE_DIRECTORY ${VARNEK_LANG_FIXTURES})
varnek_add_lcf(${VARNEK_LANG_FIXTURES}/forms.lcf ${VARNEK_LANG_SCRIPTS}/forms.rc)
varnek_add_lcf(${VARNEK_LANG_FIXTURES}/forms-clear.lcf ${VARNEK_LANG_SCRIPTS}/forms.rc DEFINES FLAG_CLEAR)
varnek_add_lcf(${VARNEK_LANG_FIXTURES}/forms32.lcf ${VARNEK_LANG_SCRIPTS}/forms.rc PE32)
varnek_add_lcf(${VARNEK_LANG_FIXTURES}/noheader.lcf ${VARNEK_LANG_SCRIPTS}/header.rc DEFINES NO_HEADER)
varnek_add_lcf(${VARNEK_LANG_FIXTURES}/shortheader.lcf ${VARNEK_LANG_SCRIPTS}/header.rc DEFINES SHORT_HEADER)
varnek_add_lcf(${VARNEK_LANG_FIXTURES}/badmagic.lcf ${VARNEK_LANG_SCRIPTS}/header.rc DEFINES BAD_MAGIC)
varnek_add_lcf(${VARNEK_LANG_FIXTURES}/german.lcf ${VARNEK_LANG_SCRIPTS}/header.rc DEFINES GERMAN_ONLY)
add_custom_target(lang_fixtures ALL DEPENDS
  ${VARNEK_LANG_FIXTURES}/forms.lcf ${VARNEK_LANG_FIXTURES}/forms-clear.lcf
  ${VARNEK_LANG_FIXTURES}/forms32.lcf ${VARNEK_LANG_FIXTURES}/noheader.lcf
  ${VARNEK_LANG_FIXTURES}/shortheader.lcf ${VARNEK_LANG_FIXTURES}/badmagic.lcf
  ${VARNEK_LANG_FIXTURES}/german.lcf)

varnek_test(test_lang_reader test_lang_reader.cpp)
target_link_libraries(test_lang_reader PRIVATE varnek_pe Qt6::Core)
target_compile_definitions(test_lang_reader PRIVATE VARNEK_LANG_FIXTURES="${VARNEK_LANG_FIXTURES}"
                           VARNEK_LANG_SCRIPTS="${VARNEK_LANG_SCRIPTS}")
add_dependencies(test_lang_reader lang_fixtures)

varnek_test(test_lang_files test_lang_files.cpp)
target_link_libraries(test_lang_files PRIVATE varnek_core)
target_compile_definitions(test_lang_files PRIVATE VARNEK_LANG_FIXTURES="${VARNEK_LANG_FIXTURES}")
add_dependencies(test_lang_files lang_fixtures)

varnek_test(test_lang_splash test_lang_splash.cpp)
target_link_libraries(test_lang_splash PRIVATE varnek_core)
target_compile_definitions(test_lang_splash PRIVATE VARNEK_LANG_FIXTURES="${VARNEK_LANG_FIXTURES}")
add_dependencies(test_lang_splash lang_fixtures)
