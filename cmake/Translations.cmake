# --- Translations of the window ---------------------------------------------------
# Every translations/quorvel_<language>.ts is compiled with lrelease (Debian's
# qt6-l10n-tools) into a .qm, and the .qm files are compiled into the program
# under :/i18n, so a new language is one new .ts file and nothing else.
# Linked like the pictures: as objects, so a static library cannot drop them.
find_program(QUORVEL_LRELEASE NAMES lrelease lrelease-qt6
  HINTS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}" /usr/lib/qt6/bin
  NO_DEFAULT_PATH)
if(NOT QUORVEL_LRELEASE)
  message(FATAL_ERROR "lrelease of Qt 6 not found: install qt6-l10n-tools")
endif()

file(GLOB QUORVEL_TS_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/translations/quorvel_*.ts)
set(QUORVEL_I18N_DIR ${CMAKE_BINARY_DIR}/i18n)
set(QUORVEL_QM_FILES)
set(qrc_lines "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n  <qresource prefix=\"/i18n\">\n")
foreach(ts ${QUORVEL_TS_FILES})
  get_filename_component(base ${ts} NAME_WE)
  set(qm ${QUORVEL_I18N_DIR}/${base}.qm)
  add_custom_command(OUTPUT ${qm}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QUORVEL_I18N_DIR}
    COMMAND ${QUORVEL_LRELEASE} -silent ${ts} -qm ${qm}
    DEPENDS ${ts}
    COMMENT "Compiling the translation ${base}"
    VERBATIM)
  list(APPEND QUORVEL_QM_FILES ${qm})
  string(APPEND qrc_lines "    <file>${base}.qm</file>\n")
endforeach()
string(APPEND qrc_lines "  </qresource>\n</RCC>\n")
file(CONFIGURE OUTPUT ${QUORVEL_I18N_DIR}/quorvel_i18n.qrc CONTENT "${qrc_lines}")

# rcc is run here, not by AUTORCC, so that it waits for the .qm files.
set(QUORVEL_I18N_CPP ${QUORVEL_I18N_DIR}/qrc_quorvel_i18n.cpp)
add_custom_command(OUTPUT ${QUORVEL_I18N_CPP}
  COMMAND Qt6::rcc --name quorvel_i18n --output ${QUORVEL_I18N_CPP} ${QUORVEL_I18N_DIR}/quorvel_i18n.qrc
  DEPENDS ${QUORVEL_QM_FILES} ${QUORVEL_I18N_DIR}/quorvel_i18n.qrc
  WORKING_DIRECTORY ${QUORVEL_I18N_DIR}
  COMMENT "Embedding the translations"
  VERBATIM)
add_library(quorvel_translations OBJECT ${QUORVEL_I18N_CPP})
target_link_libraries(quorvel_translations PRIVATE Qt6::Core)
target_link_libraries(quorvel_gui INTERFACE quorvel_translations $<TARGET_OBJECTS:quorvel_translations>)
