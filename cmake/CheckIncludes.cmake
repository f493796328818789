# cmake -DSTAMP=file -DFILES="a;b" -P CheckIncludes.cmake: every quoted include
# of the FILEs names its header as folder/Header.h, from the tree's top; the
# stamp is written when they all do. A relative include ("../hash/TT.h",
# "./Eval.h") is found beside the including file, past the include path that
# keeps each module to the headers it may use, so the build refuses it.
set(bad "")
foreach(file ${FILES})
  file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line ${lines})
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*$" "\\1" name "${line}")
    if(NOT name MATCHES "^[a-z]+/[A-Za-z0-9_]+\\.h$")
      list(APPEND bad "${file}: #include \"${name}\"")
    endif()
  endforeach()
endforeach()
if(bad)
  list(JOIN bad "\n  " lines)
  message(FATAL_ERROR "an include must name its header as folder/Header.h, which the module's "
                      "include path finds only when the module may use it:\n  ${lines}")
endif()
file(WRITE ${STAMP} "")
