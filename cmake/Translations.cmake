# The catalogues and the translated desktop entry, metainfo and man page. Languages are listed in
# po/LINGUAS; po/<lang>.po is the game's catalogue (domain "kirpo"), po/man/<lang>.po the man
# page's. tools/i18n/update-po.sh refreshes the templates and catalogues from the English sources.
find_program(KIRPO_MSGFMT msgfmt)
if(NOT KIRPO_MSGFMT)
  message(FATAL_ERROR "msgfmt not found: install gettext (tools/ci/setup-debian.sh does)")
endif()
find_program(KIRPO_PO4A_TRANSLATE po4a-translate)

set(KIRPO_PO_DIR ${CMAKE_SOURCE_DIR}/po)
file(STRINGS ${KIRPO_PO_DIR}/LINGUAS KIRPO_LINGUAS REGEX "^[^#]")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${KIRPO_PO_DIR}/LINGUAS)
set(KIRPO_PO_FILES)
foreach(lang IN LISTS KIRPO_LINGUAS)
  list(APPEND KIRPO_PO_FILES ${KIRPO_PO_DIR}/${lang}.po)
endforeach()

# The .mo files lie in locale/ beside the executable in the build tree, where an uninstalled game
# finds them, and go to share/locale/ when installed.
set(KIRPO_TRANSLATED)
foreach(lang IN LISTS KIRPO_LINGUAS)
  set(dir ${CMAKE_BINARY_DIR}/locale/${lang}/LC_MESSAGES)
  add_custom_command(
    OUTPUT ${dir}/kirpo.mo
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${KIRPO_MSGFMT} --check -o ${dir}/kirpo.mo ${KIRPO_PO_DIR}/${lang}.po
    DEPENDS ${KIRPO_PO_DIR}/${lang}.po
    COMMENT "Compiling the ${lang} catalogue"
    VERBATIM)
  list(APPEND KIRPO_TRANSLATED ${dir}/kirpo.mo)
  install(FILES ${dir}/kirpo.mo DESTINATION ${CMAKE_INSTALL_LOCALEDIR}/${lang}/LC_MESSAGES)
endforeach()

# msgfmt merges every language's strings into the desktop entry and the metainfo (the metainfo's
# rules come with Debian's appstream package).
set(KIRPO_DESKTOP ${CMAKE_BINARY_DIR}/packaging/kirpo.desktop)
set(KIRPO_METAINFO ${CMAKE_BINARY_DIR}/packaging/example.kirpo_game.Kirpo.metainfo.xml)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/packaging)
add_custom_command(
  OUTPUT ${KIRPO_DESKTOP}
  COMMAND ${KIRPO_MSGFMT} --desktop -d ${KIRPO_PO_DIR} --template ${CMAKE_SOURCE_DIR}/packaging/kirpo.desktop
          -o ${KIRPO_DESKTOP}
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/kirpo.desktop ${KIRPO_PO_FILES} ${KIRPO_PO_DIR}/LINGUAS
  COMMENT "Translating the desktop entry"
  VERBATIM)
add_custom_command(
  OUTPUT ${KIRPO_METAINFO}
  COMMAND ${KIRPO_MSGFMT} --xml -d ${KIRPO_PO_DIR} --template ${CMAKE_SOURCE_DIR}/packaging/kirpo.metainfo.xml
          -o ${KIRPO_METAINFO}
  DEPENDS ${CMAKE_SOURCE_DIR}/packaging/kirpo.metainfo.xml ${KIRPO_PO_FILES} ${KIRPO_PO_DIR}/LINGUAS
  COMMENT "Translating the AppStream metainfo"
  VERBATIM)
list(APPEND KIRPO_TRANSLATED ${KIRPO_DESKTOP} ${KIRPO_METAINFO})
install(FILES ${KIRPO_DESKTOP} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KIRPO_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The man page's translations need po4a; without it only the English page is installed.
if(KIRPO_PO4A_TRANSLATE)
  foreach(lang IN LISTS KIRPO_LINGUAS)
    if(NOT EXISTS ${KIRPO_PO_DIR}/man/${lang}.po)
      continue()
    endif()
    set(page ${CMAKE_BINARY_DIR}/man/${lang}/kirpo.6)
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/man/${lang})
    # -k 0: a page whose catalogue lags behind keeps its English paragraphs rather than going
    # missing; tools/ci/check-translations.sh is what insists on a complete catalogue.
    add_custom_command(
      OUTPUT ${page}
      COMMAND ${KIRPO_PO4A_TRANSLATE} -f man -M UTF-8 -L UTF-8 -k 0 -m ${CMAKE_SOURCE_DIR}/packaging/kirpo.6
              -p ${KIRPO_PO_DIR}/man/${lang}.po -l ${page}
      DEPENDS ${CMAKE_SOURCE_DIR}/packaging/kirpo.6 ${KIRPO_PO_DIR}/man/${lang}.po
      COMMENT "Translating the man page into ${lang}"
      VERBATIM)
    list(APPEND KIRPO_TRANSLATED ${page})
    install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/${lang}/man6)
  endforeach()
else()
  message(STATUS "po4a-translate not found: the man page is installed in English only")
endif()

add_custom_target(translations ALL DEPENDS ${KIRPO_TRANSLATED})
