# The setup and the portable zip, built by scripts/release.sh from the programs of this tree and
# tried in a Wine prefix of their own.
add_test(NAME release_install COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/release_test.sh)
set_tests_properties(release_install PROPERTIES TIMEOUT 400 LABELS wine)
