# Signed releases. A throw-away test CA signs the programs of this tree and of the 32-bit release
# beside it (tools/sign.sh), and each signature is checked ("signing"); the sample round trip runs
# once more on the signed SETUP.EXE and keeps the uninstaller copy it leaves in the Windows folder
# ("e2e_sample_signed"), whose signature is checked last ("signing_uninstaller"). The scripts run
# on Linux, where osslsigncode is. Included from the black-box tests' folder, whose sample test
# this reuses.
if(NOT CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64" OR NOT TEST e2e_sample)
    return()
endif()
set(SIGNING_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/signing_test.sh)
set(SIGNING_WORK ${CMAKE_BINARY_DIR}/signing-test)
get_filename_component(SIGNING_RELEASE32_DIR ${SETUP_RELEASE32_EXE} DIRECTORY)

add_test(NAME signing COMMAND bash ${SIGNING_SCRIPT} sign ${CMAKE_BINARY_DIR} ${SIGNING_RELEASE32_DIR})
set_tests_properties(signing PROPERTIES FIXTURES_SETUP setup_signed TIMEOUT 120)

get_test_property(e2e_sample ENVIRONMENT environment)
list(FILTER environment EXCLUDE REGEX "^SETUP_E2E_(EXE|SAMPLE_DIST|SCREENSHOTS)=")
add_test(NAME e2e_sample_signed COMMAND test_e2e_sample --gtest_color=no)
set_tests_properties(e2e_sample_signed PROPERTIES
    ENVIRONMENT "${environment};SETUP_E2E_EXE=${SIGNING_WORK}/sample-dist/SETUP.EXE;\
SETUP_E2E_SAMPLE_DIST=${SIGNING_WORK}/sample-dist;SETUP_E2E_SCREENSHOTS=${SIGNING_WORK}/screenshots;\
SETUP_E2E_KEEP_UNINSTALLER=${SIGNING_WORK}/UNOVNOVA.EXE"
    FIXTURES_REQUIRED setup_signed
    FIXTURES_SETUP setup_signed_roundtrip
    RESOURCE_LOCK setup_e2e_desktop
    TIMEOUT 300)

add_test(NAME signing_uninstaller COMMAND bash ${SIGNING_SCRIPT} uninstaller ${CMAKE_BINARY_DIR})

# A single file of the sample, made by the native builder with the signed SETUP.EXE and signed as
# a whole: verified, refused when a payload byte changes, installed and removed unattended.
set(SIGNING_SETUPMAK ${CMAKE_SOURCE_DIR}/build/linux/setupmak CACHE FILEPATH "The native distribution builder")
add_test(NAME signing_single COMMAND bash ${SIGNING_SCRIPT} single ${CMAKE_BINARY_DIR} ${SIGNING_SETUPMAK})
set_tests_properties(signing_single PROPERTIES FIXTURES_REQUIRED setup_signed RESOURCE_LOCK setup_e2e_desktop
                     TIMEOUT 300)
set_tests_properties(signing_uninstaller PROPERTIES FIXTURES_REQUIRED "setup_signed;setup_signed_roundtrip" TIMEOUT 60)
