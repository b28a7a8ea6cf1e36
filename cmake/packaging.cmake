# What ships, and how. The packages are built by CPack from the build folder:
#   Windows (cross build):  cpack -G NSIS          -> labrena-6.28-win64.exe
#   Linux:                  cpack -G "DEB;TGZ"     -> labrena_6.28_amd64.deb,
#                                                     labrena-6.28-Linux.tar.gz
# The Windows programs carry a version resource and the icon
# resources/labrena.ico (drawn once with ImageMagick); labrena-conv's manual
# page is written from its own --help by help2man.

set(CPACK_PACKAGE_NAME labrena)
set(CPACK_PACKAGE_VENDOR Nelk)
set(CPACK_PACKAGE_CONTACT Nelk)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Labrena ${PROJECT_VERSION}: conversão dos dados das versões anteriores")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Converte a pasta de dados do Labrena das versões anteriores para a "
    "${PROJECT_VERSION} (labrena-conv convert) e importa a declaração RAIS "
    "(labrena-conv rais). Traz o modelo de rubricas F31R0.DA3 e a página "
    "dos códigos CBO em share/labrena.")
set(CPACK_STRIP_FILES ON)
set(LABRENA_ICON ${CMAKE_SOURCE_DIR}/resources/labrena.ico)

if(WIN32)
  # One version resource per program, configured from resources/version.rc.in
  # (its texts are Windows-1252 octal escapes).
  enable_language(RC)
  set(labrena_conv_description
      "Labrena ${PROJECT_VERSION} - Convers\\343o de vers\\365es pela linha de comando")
  set(labrena_conv_gui_description
      "Labrena ${PROJECT_VERSION} - Convers\\343o de vers\\365es")
  foreach(target labrena-conv labrena-conv-gui)
    if(NOT TARGET ${target})
      continue()
    endif()
    string(REPLACE "-" "_" variable ${target})
    set(VERSION_TARGET ${target})
    set(VERSION_FILE_NAME ${target}.exe)
    set(VERSION_DESCRIPTION "${${variable}_description}")
    set(VERSION_ICON ${LABRENA_ICON})
    set(rc ${CMAKE_BINARY_DIR}/generated/${target}-version.rc)
    configure_file(${CMAKE_SOURCE_DIR}/resources/version.rc.in ${rc} @ONLY)
    target_sources(${target} PRIVATE ${rc})
    set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS ${LABRENA_ICON})
  endforeach()

  # The installer's files lie side by side in its folder, apart from what a
  # plain "cmake --install" lays out. A cross build cannot write the rubric
  # template: it takes the file of a native build.
  set(LABRENA_RUBRIC_TEMPLATE "" CACHE FILEPATH
      "F31R0.DA3 of a native build, for the installer of a cross build")
  set(installer_template ${RUBRIC_TEMPLATE})
  if(CMAKE_CROSSCOMPILING)
    set(installer_template ${LABRENA_RUBRIC_TEMPLATE})
  endif()
  if(NOT installer_template OR NOT TARGET labrena-conv-gui)
    message(WARNING "No Windows installer: pass a native build's F31R0.DA3 "
                    "as -DLABRENA_RUBRIC_TEMPLATE=FILE")
    return()
  endif()
  install(TARGETS labrena-conv-gui labrena-conv RUNTIME DESTINATION .
          COMPONENT installer EXCLUDE_FROM_ALL)
  install(FILES ${installer_template} ${CBO_PAGE} DESTINATION .
          COMPONENT installer EXCLUDE_FROM_ALL)
  set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};labrena;installer;/")

  # cmake/NSIS.template.in: Portuguese pages, the Start-menu entry, the CBO
  # page where the dialog's RAIS import reads it, and the uninstaller.
  list(PREPEND CMAKE_MODULE_PATH ${CMAKE_SOURCE_DIR}/cmake)
  set(CPACK_GENERATOR NSIS)
  set(CPACK_PACKAGE_FILE_NAME labrena-${PROJECT_VERSION}-win64)
  set(CPACK_PACKAGE_INSTALL_DIRECTORY "Labrena ${PROJECT_VERSION}")
  set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Labrena ${PROJECT_VERSION}")
  set(CPACK_NSIS_PACKAGE_NAME "Labrena ${PROJECT_VERSION}")
  set(CPACK_NSIS_DISPLAY_NAME "Labrena ${PROJECT_VERSION} - Conversão de versões")
  set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
  set(CPACK_NSIS_UNINSTALL_NAME Desinstalar)
  set(CPACK_NSIS_MUI_ICON ${LABRENA_ICON})
  set(CPACK_NSIS_MUI_UNIICON ${LABRENA_ICON})
else()
  # The manual page, from the program's own --help and --version (UTF-8
  # texts, which help2man reads in the C locale as question marks).
  find_program(HELP2MAN help2man)
  if(HELP2MAN AND NOT CMAKE_CROSSCOMPILING)
    set(man_page ${CMAKE_BINARY_DIR}/labrena-conv.1)
    set(man_include ${CMAKE_SOURCE_DIR}/resources/labrena-conv.h2m)
    add_custom_command(OUTPUT ${man_page}.gz
      COMMAND ${HELP2MAN} --no-info --locale=C.UTF-8 --include=${man_include}
              --output=${man_page} $<TARGET_FILE:labrena-conv>
      COMMAND gzip -9nf ${man_page}
      DEPENDS labrena-conv ${man_include}
      COMMENT "Writing the manual page labrena-conv.1 from --help")
    add_custom_target(man_page ALL DEPENDS ${man_page}.gz)
    install(FILES ${man_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  else()
    message(STATUS "help2man not found: no manual page")
  endif()

  # Completion of the commands and options in bash.
  install(FILES ${CMAKE_SOURCE_DIR}/resources/labrena-conv.bash
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
          RENAME labrena-conv)

  set(CPACK_GENERATOR DEB TGZ)
  set(CPACK_PACKAGE_FILE_NAME labrena-${PROJECT_VERSION}-Linux)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION misc)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)
