cmake_minimum_required(VERSION 3.25)
# The shape every source keeps, read off the files themselves:
#   - no two files of src/ include each other in a loop (a header and its
#     source count as one: A.cpp including B.h and B.cpp including A.h is a loop),
#   - no file of src/ over 600 lines,
#   - no function over 80 lines outside bench/ and tools/ (a function is
#     written from its first line at the left margin to its closing brace there,
#     as clang-format lays it out).
# Run with -DROOT=<the project>; -DPLANT=cycle|file|function adds a made-up
# file that breaks one rule, so that a test can show the rule is caught.
set(kMaxFileLines 600)
set(kMaxFunctionLines 80)

# What was over a limit when the rules came, until it is split: a file named
# here may hold one function over the limit (not two), a file here may be
# long, an include named here (from>to) is not followed. Take an entry out
# when its file is split; add none.
set(kLongFunctionsLeft
  src/cli/CommandLine.cpp
  src/core/check/ProblemStore.cpp
  src/core/check/StructureCheck.cpp)
set(kLongFilesLeft)
set(kLoopsLeft)

# The lines of a text as a list, whatever characters they hold.
function(text_lines text out)
  string(REPLACE "\\" "<bs>" text "${text}")
  string(REPLACE "[" "<lb>" text "${text}")
  string(REPLACE "]" "<rb>" text "${text}")
  string(REPLACE ";" "<sc>" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(${out} "${lines}" PARENT_SCOPE)
endfunction()

# What a file is called in the reports and the unit it belongs to: its path
# under src/ without the extension.
function(unit_of path out)
  string(REGEX REPLACE "\\.(h|cpp)$" "" unit "${path}")
  string(REGEX REPLACE "^src/" "" unit "${unit}")
  set(${out} "${unit}" PARENT_SCOPE)
endfunction()

set(sources)   # paths relative to ROOT
set(texts_keys)
file(GLOB_RECURSE found RELATIVE ${ROOT} ${ROOT}/src/*.h ${ROOT}/src/*.cpp ${ROOT}/tests/*.h
  ${ROOT}/tests/*.cpp ${ROOT}/fuzz/*.h ${ROOT}/fuzz/*.cpp)
foreach(path IN LISTS found)
  file(READ ${ROOT}/${path} text)
  string(MAKE_C_IDENTIFIER "${path}" key)
  set(text_${key} "${text}")
  list(APPEND sources ${path})
endforeach()

# Made-up files, each breaking one rule.
if(PLANT STREQUAL "cycle")
  set(text_src_gui_planted_A_h "#pragma once\n#include \"gui/planted/B.h\"\n")
  set(text_src_gui_planted_B_cpp "#include \"gui/planted/B.h\"\n#include \"gui/planted/A.h\"\n")
  set(text_src_gui_planted_B_h "#pragma once\n")
  list(APPEND sources src/gui/planted/A.h src/gui/planted/B.cpp src/gui/planted/B.h)
elseif(PLANT STREQUAL "file")
  string(REPEAT "int x;\n" 601 text_src_planted_Long_cpp)
  list(APPEND sources src/planted/Long.cpp)
elseif(PLANT STREQUAL "function")
  string(REPEAT "    ++x;\n" 79 body)
  set(text_tests_planted_Long_cpp "void grows(int& x) {\n${body}}\n")
  list(APPEND sources tests/planted/Long.cpp)
elseif(PLANT STREQUAL "class")
  set(text_src_gui_planted_One_h "#pragma once\nnamespace qm {\nclass Twice;\n}\nstruct Twice {\n};\n")
  set(text_src_gui_planted_Two_h "#pragma once\nclass Twice : public Base {\n};\n")
  list(APPEND sources src/gui/planted/One.h src/gui/planted/Two.h)
elseif(PLANT)
  message(FATAL_ERROR "PLANT is cycle, file, function or class")
endif()

set(wrong)
set(units)
foreach(path IN LISTS sources)
  string(MAKE_C_IDENTIFIER "${path}" key)
  text_lines("${text_${key}}" lines)
  list(LENGTH lines count)
  # A text ending in a newline gives an empty last item.
  if(text_${key} MATCHES "\n$")
    math(EXPR count "${count} - 1")
  endif()
  set(in_src FALSE)
  if(path MATCHES "^src/")
    set(in_src TRUE)
    unit_of(${path} unit)
    if(count GREATER kMaxFileLines AND NOT path IN_LIST kLongFilesLeft)
      list(APPEND wrong "${path}: ${count} lines (at most ${kMaxFileLines})")
    endif()
    list(APPEND units ${unit})
  endif()
  set(number 0)
  set(start 0)
  set(spared 0)
  set(namespace "")
  if(path IN_LIST kLongFunctionsLeft)
    set(spared 1)
  endif()
  foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    # Two classes of one name in headers of one program break it at run time
    # (one's members are taken for the other's), so every name is once.
    if(line MATCHES "^namespace ([A-Za-z_0-9]+) {")
      set(namespace ${CMAKE_MATCH_1}::)
    elseif(line MATCHES "^}")
      set(namespace "")
    endif()
    if(in_src AND path MATCHES "\\.h$" AND line MATCHES "^(class|struct) ([A-Za-z_0-9]+)( final)? *[:{]")
      set(class_name ${namespace}${CMAKE_MATCH_2})
      if(DEFINED class_at_${class_name})
        list(APPEND wrong "${path}:${number}: class ${class_name} is defined in ${class_at_${class_name}} too")
      else()
        set(class_at_${class_name} ${path})
      endif()
    endif()
    if(in_src AND line MATCHES "^#include \"((app|cli|core|gui)/[^\"]+)\\.h\"")
      if(NOT CMAKE_MATCH_1 STREQUAL unit AND NOT "${unit}>${CMAKE_MATCH_1}" IN_LIST kLoopsLeft)
        list(APPEND edges_${unit} ${CMAKE_MATCH_1})
      endif()
    endif()
    if(line STREQUAL "}")
      if(start GREATER 0)
        math(EXPR length "${number} - ${start} + 1")
        if(length GREATER kMaxFunctionLines AND spared)
          set(spared 0)
        elseif(length GREATER kMaxFunctionLines)
          list(APPEND wrong
            "${path}:${start}: a function of ${length} lines (at most ${kMaxFunctionLines})")
        endif()
      endif()
      set(start 0)
    elseif(line MATCHES "^}" OR line MATCHES "^[A-Za-z_~].*<sc>$")
      set(start 0)
    elseif(line MATCHES "^[A-Za-z_~]" AND NOT line MATCHES
        "^(namespace|class|struct|enum|union|extern|public|private|protected|using|typedef)[ :]"
        AND NOT line MATCHES "^template .*(class|struct) [A-Za-z_]+[^(]*$")
      set(start ${number})
    endif()
  endforeach()
endforeach()
list(REMOVE_DUPLICATES units)

# Units that lie on no loop are taken away, those that include nothing left
# first, until none can be: what remains lies on a loop or leads into one.
set(remaining ${units})
set(progress TRUE)
while(progress)
  set(progress FALSE)
  set(kept)
  foreach(unit IN LISTS remaining)
    set(leads FALSE)
    foreach(target IN LISTS edges_${unit})
      if(target IN_LIST remaining)
        set(leads TRUE)
        break()
      endif()
    endforeach()
    if(leads)
      list(APPEND kept ${unit})
    else()
      set(progress TRUE)
    endif()
  endforeach()
  set(remaining ${kept})
endwhile()
if(remaining)
  # Walks from a remaining unit along remaining ones until it comes back.
  list(GET remaining 0 unit)
  set(walked ${unit})
  while(TRUE)
    foreach(target IN LISTS edges_${unit})
      if(target IN_LIST remaining)
        set(unit ${target})
        break()
      endif()
    endforeach()
    if(unit IN_LIST walked)
      list(FIND walked ${unit} at)
      list(SUBLIST walked ${at} -1 loop)
      list(APPEND loop ${unit})
      list(JOIN loop " -> " text)
      list(APPEND wrong "an include loop: ${text}")
      break()
    endif()
    list(APPEND walked ${unit})
  endwhile()
endif()

if(wrong)
  list(JOIN wrong "\n" text)
  string(REPLACE "<sc>" ";" text "${text}")
  message(FATAL_ERROR "${text}")
endif()
