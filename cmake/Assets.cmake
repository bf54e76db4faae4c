# The program's own assets: window pictures, the notification sound, the two
# help manuals, and the install rules that make a self-contained program folder.

# --- Window pictures -------------------------------------------------------
# resources/quorvel.qrc is compiled into an object library whose objects go
# straight onto the link line of everything that links the GUI library (the
# program and the window tests). Inside a static library the compiled
# resources would be dropped by the linker, since nothing refers to them; as
# plain objects their static initializer registers the pictures before main().
add_library(quorvel_pictures OBJECT ${PROJECT_SOURCE_DIR}/resources/quorvel.qrc)
set_target_properties(quorvel_pictures PROPERTIES AUTORCC ON)
target_link_libraries(quorvel_pictures PRIVATE Qt6::Core)
# Naming the target orders the build; the generator expression links its objects.
target_link_libraries(quorvel_gui INTERFACE quorvel_pictures $<TARGET_OBJECTS:quorvel_pictures>)

# --- Build tools --------------------------------------------------------------
# The generators run during the build and are not part of the program, so they
# live in build/tools instead of beside the executable. They run with leak
# checking off: in a sanitizer build a leak report from a system library would
# otherwise fail the build for nothing the program does.
set(QUORVEL_TOOLS_DIR ${CMAKE_BINARY_DIR}/tools)
set(QUORVEL_TOOL_ENV ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen)

# --- Notification sound -------------------------------------------------------
add_executable(quorvel_make_sound tools/make_sound/make_sound.cpp)
target_link_libraries(quorvel_make_sound PRIVATE quorvel_warnings)
set_target_properties(quorvel_make_sound PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${QUORVEL_TOOLS_DIR})

set(QUORVEL_SOUND ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/s1.wav)
add_custom_command(OUTPUT ${QUORVEL_SOUND}
  COMMAND ${QUORVEL_TOOL_ENV} $<TARGET_FILE:quorvel_make_sound> ${QUORVEL_SOUND}
  DEPENDS quorvel_make_sound
  COMMENT "Making the notification sound s1.wav"
  VERBATIM)

# --- Help manuals -------------------------------------------------------------
add_executable(quorvel_make_manual tools/make_manual/make_manual.cpp)
target_link_libraries(quorvel_make_manual PRIVATE Qt6::Gui quorvel_warnings)
set_target_properties(quorvel_make_manual PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${QUORVEL_TOOLS_DIR})

set(QUORVEL_MANUAL_DIR ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/manual)
set(QUORVEL_SCREENSHOT ${PROJECT_SOURCE_DIR}/docs/screenshot-main.png)
set(QUORVEL_MANUALS)
foreach(pair "en;english" "de;deutsch")
  list(GET pair 0 code)
  list(GET pair 1 language)
  set(source ${PROJECT_SOURCE_DIR}/docs/manual/manual_${code}.html)
  set(pdf ${QUORVEL_MANUAL_DIR}/manual_quorvel_R1_V4_${language}.pdf)
  add_custom_command(OUTPUT ${pdf}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QUORVEL_MANUAL_DIR}
    COMMAND ${QUORVEL_TOOL_ENV} $<TARGET_FILE:quorvel_make_manual> ${source} ${QUORVEL_SCREENSHOT} ${pdf}
    DEPENDS quorvel_make_manual ${source} ${QUORVEL_SCREENSHOT}
    COMMENT "Making the help manual ${language}"
    VERBATIM)
  list(APPEND QUORVEL_MANUALS ${pdf})
endforeach()

add_custom_target(quorvel_assets ALL DEPENDS ${QUORVEL_SOUND} ${QUORVEL_MANUALS})
# Building only the program (cmake --build build --target quorvel) still gives
# a runnable program folder.
add_dependencies(quorvel quorvel_assets)

# --- Installation -------------------------------------------------------------
# Quorvel keeps s1.wav and manual/ beside its executable, so it installs as one
# program folder, <prefix>/lib/quorvel (the usual place for a program's private
# files). Users who may write there keep DATA there too; everyone else keeps
# diaries in their own ~/.local/share/quorvel/DATA, so a system-wide prefix
# (/usr for the Debian package) works for every user. <prefix>/bin/quorvel is a
# relative symbolic link to the executable (the program finds its folder from
# the resolved executable path), and a menu entry and icon go to share/.
set(QUORVEL_INSTALL_DIR lib/quorvel)
install(TARGETS quorvel RUNTIME DESTINATION ${QUORVEL_INSTALL_DIR})
install(FILES ${QUORVEL_SOUND} DESTINATION ${QUORVEL_INSTALL_DIR})
install(FILES ${QUORVEL_MANUALS} DESTINATION ${QUORVEL_INSTALL_DIR}/manual)

file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/launcher)
file(CREATE_LINK ../${QUORVEL_INSTALL_DIR}/quorvel ${CMAKE_BINARY_DIR}/launcher/quorvel SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/launcher/quorvel DESTINATION bin)

install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/quorvel.svg
  DESTINATION share/icons/hicolor/scalable/apps)

# The man pages and the AppStream description for software centres; the
# description names the menu entry (quorvel.desktop) as its launchable.
install(FILES ${PROJECT_SOURCE_DIR}/docs/man/quorvel.1 ${PROJECT_SOURCE_DIR}/docs/man/quorvel-tool.1
  DESTINATION share/man/man1)
install(FILES ${PROJECT_SOURCE_DIR}/resources/de.talveronix.Quorvel.metainfo.xml DESTINATION share/metainfo)

# The menu entry names the launcher by its full path: ~/.local/bin is not on
# every desktop session's PATH. The prefix is only known at install time; a
# path with blanks is quoted as the desktop entry format asks.
install(CODE "
  set(launcher \"\${CMAKE_INSTALL_PREFIX}/bin/quorvel\")
  if(launcher MATCHES \" \")
    set(launcher \"\\\"\${launcher}\\\"\")
  endif()
  file(READ \"${PROJECT_SOURCE_DIR}/resources/quorvel.desktop\" entry)
  string(REPLACE \"\\nExec=quorvel\\n\" \"\\nExec=\${launcher}\\n\" entry \"\${entry}\")
  file(WRITE \"${CMAKE_BINARY_DIR}/launcher/quorvel.desktop\" \"\${entry}\")
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/share/applications\" TYPE FILE
       FILES \"${CMAKE_BINARY_DIR}/launcher/quorvel.desktop\")
")

# --- Install test ---------------------------------------------------------------
# Installs the built tree into a scratch prefix and checks the program folder,
# launcher, menu entry, icon and the uninstall through the manifest.
if(QUORVEL_BUILD_TESTS)
  enable_testing()
  add_test(NAME tst_install
    COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DPREFIX=${CMAKE_BINARY_DIR}/install-test
            -P ${PROJECT_SOURCE_DIR}/tests/install/check_install.cmake)
  set_tests_properties(tst_install PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE)
endif()

# --- Package test -----------------------------------------------------------------
# Checks the Debian package that ./package.sh left in dist/ (lintian, AppStream,
# menu entry, file list, quorvel-tool run as nobody from a dpkg -x root).
# Skipped when there is no package; .ci/run makes one before the suite.
if(QUORVEL_BUILD_TESTS AND NOT QUORVEL_SANITIZE)
  add_test(NAME tst_package COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-package.sh)
  set_tests_properties(tst_package PROPERTIES LABELS package SKIP_RETURN_CODE 77 TIMEOUT 300)
endif()
