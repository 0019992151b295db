# The product settings that configuring refuses, each with the reason it gives, and the longest
# name it takes: cmake -P branding.cmake checks them as configuring does.
cmake_minimum_required(VERSION 3.20)
set(branding ${CMAKE_CURRENT_LIST_DIR}/../cmake/branding.cmake)
set(failures "")

# check(<expected message or "">, <product>, <version> [more -D settings...])
function(check expected product version)
  execute_process(COMMAND ${CMAKE_COMMAND} "-DSETUP_PRODUCT=${product}" "-DSETUP_VERSION=${version}"
                          -DSETUP_COMPANY= ${ARGN} -P ${branding}
                  RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE err)
  # CMake wraps a message at a width, so where a line breaks depends on the paths in it
  string(REGEX REPLACE "[ \t\n]+" " " said "${err}")
  if(expected STREQUAL "")
    if(failed)
      set(failures "${failures}\n  \"${product}\" ${version} was refused: ${said}" PARENT_SCOPE)
    endif()
  elseif(NOT failed OR NOT said MATCHES "${expected}")
    set(failures "${failures}\n  \"${product}\" ${version}: expected a refusal saying \"${expected}\", got: ${said}" PARENT_SCOPE)
  endif()
endfunction()

string(REPEAT "Æ" 64 longest)  # 64 characters, 128 bytes
string(ASCII 255 notUtf8)
set(root ${CMAKE_CURRENT_LIST_DIR}/..)
check("" "${longest}" 2.1 -DSETUP_ICON=${root}/res/setup.ico -DSETUP_FINISH_BITMAP=${root}/res/finish.bmp)
check("" "A;B & \"C\" @D@ \${E}" 01.2)
check("has 65 characters" "${longest}e" 1)
check("control character" "Two\nlines" 1)
check("control character" "Tab\tbed" 1)
check("not UTF-8" "Caf${notUtf8}" 1)
check("is empty" "" 1)
check("white space" " Leading" 1)
check("no such file" "Name" 1 -DSETUP_ICON=${root}/res/none.ico)
check("is not an icon" "Name" 1 -DSETUP_ICON=${root}/res/finish.bmp)
check("384 x 150 pixels" "Name" 1 -DSETUP_FINISH_BITMAP=${root}/demo/face.bmp)
check("dotted version" "Name" 1.2.3.4.5)
check("dotted version" "Name" 1.beta)
check("at most 65535" "Name" 1.65536)
if(failures)
  message(FATAL_ERROR "product settings judged wrongly:${failures}")
endif()
message(STATUS "every setting judged as expected")
