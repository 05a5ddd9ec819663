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

# The shipped French file with the system's default locale French, then
# German (LC_ALL and LC_NUMERIC unset, so LANG decides).
add_executable(test_lang_french test_lang_french.cpp)
target_link_libraries(test_lang_french PRIVATE Qt6::Test varnek_core varnek_warnings)
target_include_directories(test_lang_french PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_compile_definitions(test_lang_french PRIVATE VARNEK_LANGUAGE_FILE="${VARNEK_LANGUAGE_FILE}"
                           VARNEK_FRENCH_SOURCE="${PROJECT_SOURCE_DIR}/resources/lang/varnek-fr.txt")
add_dependencies(test_lang_french varnek_language_file)
foreach(run fr_FR:1 de_DE:2)
  string(REPLACE ":" ";" parts ${run})
  list(GET parts 0 locale)
  list(GET parts 1 expected)
  add_test(NAME test_lang_french_${locale} COMMAND test_lang_french)
  set_tests_properties(test_lang_french_${locale} PROPERTIES TIMEOUT 300
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=${locale}.UTF-8;VARNEK_EXPECT_UI_LANGUAGE=${expected}"
    ENVIRONMENT_MODIFICATION "LC_ALL=unset:;LC_NUMERIC=unset:;LC_MESSAGES=unset:")
endforeach()
