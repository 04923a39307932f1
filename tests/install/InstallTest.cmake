# cmake -P: installs BUILD_DIR into a fresh prefix outside the build folder, so
# that nothing can fall back to the source tree, and runs the installed
# programs from a folder without maps. They must find <prefix>/share/quillmark/maps
# beside themselves, take --maps and QUILLMARK_MAPS first, and, with the
# installed maps gone, name every path they tried. The installed desktop entry,
# file type and man pages must pass their checkers.
cmake_minimum_required(VERSION 3.22)

set(failures "")
macro(fail text)
  list(APPEND failures "${text}")
endmacro()

execute_process(COMMAND mktemp -d OUTPUT_VARIABLE scratch OUTPUT_STRIP_TRAILING_WHITESPACE)
set(prefix ${scratch}/prefix)
set(elsewhere ${scratch}/elsewhere)
set(ownMaps ${scratch}/own-maps)
set(noMaps ${scratch}/no-maps)
set(installedMaps ${prefix}/share/quillmark/maps)
file(MAKE_DIRECTORY ${elsewhere} ${noMaps})

execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
  RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  file(REMOVE_RECURSE ${scratch})
  message(FATAL_ERROR "cmake --install failed: ${err}")
endif()
file(COPY ${installedMaps}/ DESTINATION ${ownMaps})
set(cli ${prefix}/bin/quillmark-cli)
set(viewer ${prefix}/bin/quillmark)

# Exactly these files, nothing of the tests or benchmarks.
set(expected bin/quillmark-cli share/man/man1/quillmark-cli.1
  share/quillmark/maps/nsf0200.fmt share/quillmark/maps/nsf0200.map
  share/quillmark/maps/nsf0301.fmt share/quillmark/maps/nsf0301.map
  share/quillmark/maps/integrity.rules)
if(WITH_GUI)
  list(APPEND expected bin/quillmark share/applications/quillmark.desktop
    share/icons/hicolor/scalable/apps/quillmark.svg share/man/man1/quillmark.1
    share/mime/packages/quillmark.xml)
endif()
list(SORT expected)
file(GLOB_RECURSE installed RELATIVE ${prefix} ${prefix}/*)
list(SORT installed)
if(NOT installed STREQUAL expected)
  list(JOIN installed " " installedText)
  list(JOIN expected " " expectedText)
  fail("installed files: ${installedText}\n  expected: ${expectedText}")
endif()

# Sets var to the lines that the first group of pattern matched in text, each
# path without ".." ("none found" stays as it is).
function(paths_in var text pattern)
  set(paths "")
  if(text MATCHES "${pattern}")
    string(REPLACE "\n" ";" lines "${CMAKE_MATCH_1}")
    foreach(path IN LISTS lines)
      if(NOT path STREQUAL "none found")
        cmake_path(NORMAL_PATH path)
      endif()
      list(APPEND paths "${path}")
    endforeach()
  endif()
  set(${var} "${paths}" PARENT_SCOPE)
endfunction()

# expect(NAME [ENV VAR=VALUE...] COMMAND ... [EXIT n] [OUTPUT text...] [ERROR text...]
#        [MAPS folder] [TRIED path...])
# Runs COMMAND in a folder without maps, with no display and none of the
# caller's QUILLMARK_MAPS, and checks its exit status, texts its standard
# output and error contain, the folder its "Maps: " line names, and the paths
# its map failure lists under "Looked for it at:". Paths compare without "..".
function(expect name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "EXIT;MAPS" "ENV;COMMAND;OUTPUT;ERROR;TRIED")
  if(NOT DEFINED arg_EXIT)
    set(arg_EXIT 0)
  endif()
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=QUILLMARK_MAPS --unset=DISPLAY
      --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM ${arg_ENV} ${arg_COMMAND}
    WORKING_DIRECTORY ${elsewhere}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(problems "")
  if(NOT status STREQUAL arg_EXIT)
    list(APPEND problems "exit status ${status}, expected ${arg_EXIT}")
  endif()
  foreach(text IN LISTS arg_OUTPUT)
    string(FIND "${out}" "${text}" at)
    if(at EQUAL -1)
      list(APPEND problems "no '${text}' in the output")
    endif()
  endforeach()
  foreach(text IN LISTS arg_ERROR)
    string(FIND "${err}" "${text}" at)
    if(at EQUAL -1)
      list(APPEND problems "no '${text}' in standard error")
    endif()
  endforeach()
  if(DEFINED arg_MAPS)
    paths_in(shown "${out}" "Maps: ([^\n]*)")
    if(NOT shown STREQUAL arg_MAPS)
      list(APPEND problems "maps shown: ${shown}, expected ${arg_MAPS}")
    endif()
  endif()
  if(DEFINED arg_TRIED)
    paths_in(tried "${err}" "Looked for it at:\n(/[^\n]*(\n/[^\n]*)*)")
    if(NOT tried STREQUAL arg_TRIED)
      list(JOIN tried " " triedText)
      list(JOIN arg_TRIED " " expectedText)
      list(APPEND problems "paths tried: ${triedText}, expected ${expectedText}")
    endif()
  endif()
  if(problems)
    string(JOIN "\n    " problems ${problems})
    set(failures ${failures} "${name}:\n    ${problems}\n    output: ${out}\n    error: ${err}"
      PARENT_SCOPE)
  endif()
endfunction()

expect("cli finds the installed maps" COMMAND ${cli} --version
  OUTPUT "quillmark-cli ${VERSION}" MAPS ${installedMaps})
expect("cli reads a sample with them" COMMAND ${cli} tree ${SAMPLE} OUTPUT "CA0 Count: 6")
expect("cli weighs claims by the installed integrity edits" COMMAND ${cli} --json check ${SAMPLE}
  EXIT 1 OUTPUT "\"rule\":\"integrity.calendar-dates\"")
expect("cli QUILLMARK_MAPS comes first" ENV QUILLMARK_MAPS=${ownMaps}
  COMMAND ${cli} --version MAPS ${ownMaps})
if(WITH_GUI)
  expect("viewer --version needs no display" COMMAND ${viewer} --version
    OUTPUT "quillmark ${VERSION}\n" MAPS ${installedMaps})
  expect("viewer --maps comes first" COMMAND ${viewer} --maps ${ownMaps} --version
    MAPS ${ownMaps})
  expect("viewer QUILLMARK_MAPS comes first" ENV QUILLMARK_MAPS=${ownMaps}
    COMMAND ${viewer} -v MAPS ${ownMaps})
  expect("viewer --help needs no display" COMMAND ${viewer} --help
    OUTPUT "Usage: quillmark [--maps DIR] [FILE]")
  expect("viewer usage error" ENV QT_QPA_PLATFORM=offscreen COMMAND ${viewer} --mpas x
    EXIT 2 ERROR "quillmark: Unknown option 'mpas'." "Usage: quillmark")
endif()

file(REMOVE_RECURSE ${installedMaps})
expect("cli without maps names the paths tried" COMMAND ${cli} tree ${SAMPLE}
  EXIT 2 ERROR "Unable to open map file: nsf0301.map"
  TRIED ${elsewhere}/nsf0301.map ${installedMaps}/nsf0301.map)
expect("QUILLMARK_MAPS without maps is tried first" ENV QUILLMARK_MAPS=${noMaps}
  COMMAND ${cli} tree ${SAMPLE} EXIT 2
  TRIED ${noMaps}/nsf0301.map ${elsewhere}/nsf0301.map ${installedMaps}/nsf0301.map)
expect("cli --maps is looked in" COMMAND ${cli} --maps ${ownMaps} tree ${SAMPLE}
  OUTPUT "CA0 Count: 6")
expect("cli QUILLMARK_MAPS is looked in" ENV QUILLMARK_MAPS=${ownMaps}
  COMMAND ${cli} tree ${SAMPLE} OUTPUT "CA0 Count: 6")
if(WITH_GUI)
  expect("viewer without maps" COMMAND ${viewer} --version MAPS "none found")
endif()

# The desktop files and man pages, by their own checkers where the machine has them.
if(WITH_GUI)
  if(DESKTOP_FILE_VALIDATE)
    expect("desktop entry" COMMAND ${DESKTOP_FILE_VALIDATE}
      ${prefix}/share/applications/quillmark.desktop)
  endif()
  if(XMLLINT)
    expect("icon" COMMAND ${XMLLINT} --noout
      ${prefix}/share/icons/hicolor/scalable/apps/quillmark.svg)
  endif()
  if(UPDATE_MIME_DATABASE)
    expect("file type" COMMAND ${UPDATE_MIME_DATABASE} ${prefix}/share/mime)
    file(READ ${prefix}/share/mime/globs2 globs)
    string(FIND "${globs}" "application/x-nsf-claims:*.nsf" at)
    if(at EQUAL -1)
      fail("file type: *.nsf is not application/x-nsf-claims in globs2")
    endif()
  endif()
endif()
if(GROFF)
  file(GLOB pages ${prefix}/share/man/man1/*.1)
  foreach(page IN LISTS pages)
    execute_process(COMMAND ${GROFF} -man -Tutf8 -ww -z ${page} ERROR_VARIABLE warnings)
    if(warnings)
      fail("man page ${page}: ${warnings}")
    endif()
  endforeach()
endif()

file(REMOVE_RECURSE ${scratch})
if(failures)
  string(JOIN "\n" report ${failures})
  message(FATAL_ERROR "${report}")
endif()
