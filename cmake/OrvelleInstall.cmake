# What `cmake --install` puts under the prefix (DESTDIR honoured): the two programs, the
# samples, the desktop entry with its icon and the MIME types of the formats it opens, and
# each program's manual page and bash completion, written at build time from its --help.
include(GNUInstallDirs)

install(TARGETS orvelle orvelle-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/samples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/orvelle/samples)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/orvelle.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/orvelle.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/orvelle-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME orvelle.xml)

# The pages and completions are built with everything else (target docs), from the programs
# just built, so that they list exactly the options those take.
set(ORVELLE_DOCS_DIR ${CMAKE_BINARY_DIR}/docs)
set(docs_outputs "")
foreach(program orvelle orvelle-render)
  set(page ${ORVELLE_DOCS_DIR}/man1/${program}.1)
  set(completion ${ORVELLE_DOCS_DIR}/completions/${program})
  add_custom_command(OUTPUT ${page} ${completion}
    COMMAND bash ${CMAKE_SOURCE_DIR}/packaging/make_docs.sh $<TARGET_FILE:${program}> ${program}
            ${CMAKE_SOURCE_DIR}/packaging/${program}.1.in ${page} ${completion} VERSION=${PROJECT_VERSION}
    DEPENDS ${program} ${CMAKE_SOURCE_DIR}/packaging/make_docs.sh ${CMAKE_SOURCE_DIR}/packaging/${program}.1.in
    COMMENT "Writing the manual page and bash completion of ${program} from its --help"
    VERBATIM)
  list(APPEND docs_outputs ${page} ${completion})
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${completion} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
endforeach()
add_custom_target(docs ALL DEPENDS ${docs_outputs})
