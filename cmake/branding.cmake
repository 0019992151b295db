# The vendor's product in the installer and the uninstaller: its name, version, company, icon and
# finish picture, given as build settings in UTF-8 and checked here, before anything is built, for
# what the resource compiler and the dialogs can hold.
#
# write_branding(<dir> <product> <version> <company> <icon.ico> <finish.bmp>) writes into <dir>
#   the header branding.h, which the resource scripts include, and the two programs' manifests;
#   add_branded_resources (below) compiles a resource script with them. The arguments are taken
#   whole, whatever they hold (a ";" too).
#
# Run as a script (cmake -DSETUP_PRODUCT=... -DSETUP_VERSION=... -DSETUP_COMPANY=...
# [-DSETUP_ICON=...] [-DSETUP_FINISH_BITMAP=...] [-DSETUP_CODE_PAGE=...] [-DSETUP_LANGUAGES=...]
# -P branding.cmake) it checks the settings only,
# and fails as configuring would.

cmake_policy(SET CMP0057 NEW)  # if(IN_LIST), also when run as a script
set(BRANDING_TEMPLATE_DIR ${CMAKE_CURRENT_LIST_DIR}/../res)
set(BRANDING_MAX_PRODUCT_CHARACTERS 64)
# The finish dialog leaves this much room for its picture, which is shown at its own size.
set(BRANDING_MAX_PICTURE_WIDTH 180)
set(BRANDING_MAX_PICTURE_HEIGHT 56)
# The languages the programs can speak besides English (res/lang/<tag>.rc), which every build has
# and every other language falls back to.
set(BRANDING_LANGUAGES de fr es it pt-BR pl ru ja zh-CN ko)
find_program(BRANDING_ICONV iconv)
if(NOT BRANDING_ICONV)
  message(FATAL_ERROR "iconv is needed to check the product settings (Debian's libc-bin has it)")
endif()

# The number of characters of UTF-8 `text` into `out`, or fails when `text` is no UTF-8.
function(branding_character_count setting text out)
  string(MD5 key "${text}")
  set(in "${CMAKE_CURRENT_BINARY_DIR}/branding-check-${key}.txt")
  file(WRITE "${in}" "${text}")
  execute_process(COMMAND ${BRANDING_ICONV} -f UTF-8 -t UTF-32LE INPUT_FILE "${in}" OUTPUT_FILE "${in}.32"
                  RESULT_VARIABLE failed ERROR_QUIET)
  file(SIZE "${in}.32" bytes)
  file(REMOVE "${in}" "${in}.32")
  if(failed)
    message(FATAL_ERROR "${setting} \"${text}\" is not UTF-8 text: give the setting as the build "
                        "machine's terminal types it, in UTF-8.")
  endif()
  math(EXPR count "${bytes} / 4")
  set(${out} ${count} PARENT_SCOPE)
endfunction()

# Fails for a text that a resource string cannot hold on one line: a control character (a line
# break, a tab) would end or mangle the string in the resource script; or for one that is no
# UTF-8. Its number of characters into `out` when given.
function(branding_check_text setting text)
  string(ASCII 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 28 29 30 31
               127 controls)
  if(text MATCHES "[${controls}]")
    message(FATAL_ERROR "${setting} \"${text}\" holds a control character (a line break, a tab): "
                        "a resource string cannot hold it.")
  endif()
  branding_character_count(${setting} "${text}" count)
  if(ARGC GREATER 2)
    set(${ARGV2} ${count} PARENT_SCOPE)
  endif()
endfunction()

function(branding_check_product product)
  string(STRIP "${product}" stripped)
  if(stripped STREQUAL "")
    message(FATAL_ERROR "SETUP_PRODUCT is empty: the finish dialog and the version resource need "
                        "the product's name.")
  endif()
  if(NOT stripped STREQUAL product)
    message(FATAL_ERROR "SETUP_PRODUCT \"${product}\" begins or ends with white space.")
  endif()
  branding_check_text(SETUP_PRODUCT "${product}" count)
  if(count GREATER BRANDING_MAX_PRODUCT_CHARACTERS)
    message(FATAL_ERROR "SETUP_PRODUCT \"${product}\" has ${count} characters; the installer's "
                        "dialogs hold up to ${BRANDING_MAX_PRODUCT_CHARACTERS}.")
  endif()
endfunction()

# The four numbers of a dotted version ("2", "2.1", "2.1.0", "2.1.0.7"; missing ones are 0) into
# out_numbers (comma-separated, as the version resource takes them) and out_dotted.
function(branding_version version out_numbers out_dotted)
  if(NOT version MATCHES "^[0-9]+(\\.[0-9]+)?(\\.[0-9]+)?(\\.[0-9]+)?$")
    message(FATAL_ERROR "SETUP_VERSION \"${version}\" is not a dotted version of one to four "
                        "numbers, such as 2.1.0.7.")
  endif()
  string(REPLACE "." ";" numbers "${version}")
  list(LENGTH numbers given)
  while(given LESS 4)
    list(APPEND numbers 0)
    math(EXPR given "${given} + 1")
  endwhile()
  set(normal "")
  foreach(n IN LISTS numbers)
    # Leading zeros would be read as octal by the resource compiler's preprocessor.
    string(REGEX REPLACE "^0+([0-9])" "\\1" n "${n}")
    string(LENGTH "${n}" digits)
    if(digits GREATER 5 OR n GREATER 65535)
      message(FATAL_ERROR "SETUP_VERSION \"${version}\": each number is at most 65535.")
    endif()
    list(APPEND normal ${n})
  endforeach()
  list(JOIN normal "," commas)
  list(JOIN normal "." dotted)
  set(${out_numbers} ${commas} PARENT_SCOPE)
  set(${out_dotted} ${dotted} PARENT_SCOPE)
endfunction()

# `text` as the inside of a resource script's string literal: a backslash starts an escape there,
# and a quote is written twice.
function(branding_rc_string text out)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\"\"" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(branding_xml_text text out)
  string(REPLACE "&" "&amp;" text "${text}")
  string(REPLACE "<" "&lt;" text "${text}")
  string(REPLACE ">" "&gt;" text "${text}")
  string(REPLACE "\"" "&quot;" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# A little-endian number of `bytes` bytes at `offset` of `file`.
function(branding_read_number file offset bytes out)
  file(READ "${file}" hex OFFSET ${offset} LIMIT ${bytes} HEX)
  set(value 0)
  math(EXPR last "${bytes} - 1")
  foreach(i RANGE ${last} 0 -1)
    math(EXPR at "${i} * 2")
    string(SUBSTRING "${hex}" ${at} 2 byte)
    math(EXPR value "${value} * 256 + 0x${byte}")
  endforeach()
  set(${out} ${value} PARENT_SCOPE)
endfunction()

# The absolute path of an icon or picture file into `out`, or fails naming what is wrong with it:
# the resource script names it in a string literal, and the dialog has room for a picture of
# the project's own size.
function(branding_check_file setting file kind out)
  get_filename_component(absolute "${file}" ABSOLUTE)
  if(NOT EXISTS "${absolute}" OR IS_DIRECTORY "${absolute}")
    message(FATAL_ERROR "${setting}: no such file: ${file}")
  endif()
  if(absolute MATCHES "[\"\\]")
    message(FATAL_ERROR "${setting}: the resource script cannot name a file whose path holds a "
                        "quote or a backslash: ${file}")
  endif()
  file(SIZE "${absolute}" size)
  if(size LESS 26)
    set(magic "")
  else()
    file(READ "${absolute}" magic LIMIT 4 HEX)
  endif()
  if(kind STREQUAL "icon" AND NOT magic STREQUAL "00000100")
    message(FATAL_ERROR "${setting}: ${file} is not an icon (.ico) file")
  elseif(kind STREQUAL "bitmap")
    if(NOT magic MATCHES "^424d")
      message(FATAL_ERROR "${setting}: ${file} is not a bitmap (.bmp) file")
    endif()
    branding_read_number("${absolute}" 18 4 width)
    branding_read_number("${absolute}" 22 4 height)
    if(height GREATER 2147483647)  # a top-down bitmap's height is negative
      math(EXPR height "4294967296 - ${height}")
    endif()
    if(width GREATER BRANDING_MAX_PICTURE_WIDTH OR height GREATER BRANDING_MAX_PICTURE_HEIGHT)
      message(FATAL_ERROR "${setting}: ${file} is ${width} x ${height} pixels; the finish dialog "
                          "shows a picture of up to ${BRANDING_MAX_PICTURE_WIDTH} x "
                          "${BRANDING_MAX_PICTURE_HEIGHT}.")
    endif()
  endif()
  set(${out} "${absolute}" PARENT_SCOPE)
endfunction()

# The programs' ANSI code page: "utf-8" (the manifest makes it UTF-8 where Windows honours it) or
# "system" (the machine's own). Into `out`, the manifest's lines for it.
function(branding_code_page code_page out)
  if(code_page STREQUAL "utf-8")
    set(${out} "      <activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/WindowsSettings\">UTF-8</activeCodePage>" PARENT_SCOPE)
  elseif(code_page STREQUAL "system")
    set(${out} "" PARENT_SCOPE)
  else()
    message(FATAL_ERROR "SETUP_CODE_PAGE \"${code_page}\" is neither utf-8 nor system.")
  endif()
endfunction()

# The languages besides English that SETUP_LANGUAGES `languages` names ("all": every one) into
# `out`, or fails naming one the programs do not speak.
function(branding_language_list languages out)
  if(languages STREQUAL "all")
    set(languages ${BRANDING_LANGUAGES})
  endif()
  set(tags "")
  foreach(tag IN LISTS languages)
    if(tag STREQUAL "en")
      continue()
    endif()
    if(NOT tag IN_LIST BRANDING_LANGUAGES)
      list(JOIN BRANDING_LANGUAGES ", " known)
      message(FATAL_ERROR "SETUP_LANGUAGES: no language \"${tag}\"; the programs speak English and ${known}.")
    endif()
    list(APPEND tags ${tag})
  endforeach()
  set(${out} ${tags} PARENT_SCOPE)
endfunction()

# Writes <dir>/languages.rc, which includes English and the given languages (SETUP_LANGUAGES).
function(branding_languages dir languages)
  branding_language_list("${languages}" tags)
  set(text "// Written by the build (SETUP_LANGUAGES): the languages the programs ship.\n")
  string(APPEND text "#include \"${BRANDING_TEMPLATE_DIR}/lang/en.rc\"\n")
  set(files "")
  foreach(tag IN LISTS tags)
    string(APPEND text "#include \"${BRANDING_TEMPLATE_DIR}/lang/${tag}.rc\"\n")
    list(APPEND files ${BRANDING_TEMPLATE_DIR}/lang/${tag}.rc)
  endforeach()
  file(CONFIGURE OUTPUT ${dir}/languages.rc CONTENT "${text}")
  set(${ARGV2} ${BRANDING_TEMPLATE_DIR}/lang/en.rc ${files} PARENT_SCOPE)
endfunction()

# write_branding(<dir> <product> <version> <company> <icon.ico> <finish.bmp>
#                [CODE_PAGE utf-8|system] [LANGUAGES all|<tag>...])
function(write_branding B_DIR B_PRODUCT B_VERSION B_COMPANY B_ICON B_FINISH_BITMAP)
  cmake_parse_arguments(B "" "CODE_PAGE" "LANGUAGES" ${ARGN})
  if(NOT DEFINED B_CODE_PAGE)
    set(B_CODE_PAGE utf-8)
  endif()
  if(NOT B_LANGUAGES)
    set(B_LANGUAGES all)
  endif()
  branding_code_page("${B_CODE_PAGE}" BRAND_ACTIVE_CODE_PAGE)
  branding_languages(${B_DIR} "${B_LANGUAGES}" language_files)
  branding_check_product("${B_PRODUCT}")
  branding_check_text(SETUP_COMPANY "${B_COMPANY}")
  branding_version("${B_VERSION}" BRAND_VERSION_NUMBERS BRAND_VERSION_TEXT)
  branding_check_file(SETUP_ICON "${B_ICON}" icon BRAND_ICON_FILE)
  branding_check_file(SETUP_FINISH_BITMAP "${B_FINISH_BITMAP}" bitmap BRAND_FINISH_BITMAP_FILE)

  branding_rc_string("${B_PRODUCT}" BRAND_PRODUCT)
  # In a static's or a check box's text "&" marks the next letter as the access key; "&&" is shown
  # as "&".
  string(REPLACE "&" "&&" shown "${B_PRODUCT}")
  branding_rc_string("${shown}" BRAND_PRODUCT_SHOWN)
  branding_rc_string("${B_COMPANY}" BRAND_COMPANY)

  # The manifest's identity takes letters, digits and dots only.
  string(REGEX REPLACE "[^A-Za-z0-9]" "" identity "${B_PRODUCT}")
  if(identity STREQUAL "")
    set(identity "Product")
  endif()
  set(BRAND_MANIFEST_VERSION ${BRAND_VERSION_TEXT})
  foreach(program Setup Uninstall)
    string(TOLOWER ${program} file)
    set(BRAND_MANIFEST_NAME "${identity}.${program}")
    branding_xml_text("${B_PRODUCT} ${program}" BRAND_MANIFEST_DESCRIPTION)
    configure_file(${BRANDING_TEMPLATE_DIR}/program.manifest.in ${B_DIR}/${file}.manifest @ONLY)
  endforeach()
  set(BRAND_SETUP_MANIFEST_FILE ${B_DIR}/setup.manifest)
  set(BRAND_UNINSTALL_MANIFEST_FILE ${B_DIR}/uninstall.manifest)
  configure_file(${BRANDING_TEMPLATE_DIR}/branding.h.in ${B_DIR}/branding.h @ONLY)
  set_property(GLOBAL PROPERTY branding_files:${B_DIR} ${B_DIR}/branding.h ${B_DIR}/setup.manifest
               ${B_DIR}/uninstall.manifest ${BRAND_ICON_FILE} ${BRAND_FINISH_BITMAP_FILE}
               ${B_DIR}/languages.rc ${language_files})
endfunction()

# add_branded_resources(<target> <script.rc> <branding dir> [include dirs...]): an object library
# of the resource script compiled with the branding that write_branding wrote into that folder.
function(add_branded_resources target script dir)
  get_property(files GLOBAL PROPERTY branding_files:${dir})
  if(NOT files)
    message(FATAL_ERROR "add_branded_resources: no branding was written into ${dir}")
  endif()
  add_library(${target} OBJECT ${script})
  target_include_directories(${target} PRIVATE ${dir} ${BRANDING_TEMPLATE_DIR} ${ARGN})
  # The resource compiler reads the icon, the picture and the manifest by name, out of sight of
  # the build's scan for included headers.
  set_property(SOURCE ${script} APPEND PROPERTY OBJECT_DEPENDS ${files}
               ${BRANDING_TEMPLATE_DIR}/version.rc)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  branding_check_product("${SETUP_PRODUCT}")
  branding_check_text(SETUP_COMPANY "${SETUP_COMPANY}")
  branding_version("${SETUP_VERSION}" numbers dotted)
  if(DEFINED SETUP_ICON)
    branding_check_file(SETUP_ICON "${SETUP_ICON}" icon icon)
  endif()
  if(DEFINED SETUP_FINISH_BITMAP)
    branding_check_file(SETUP_FINISH_BITMAP "${SETUP_FINISH_BITMAP}" bitmap bitmap)
  endif()
  if(DEFINED SETUP_CODE_PAGE)
    branding_code_page("${SETUP_CODE_PAGE}" lines)
  endif()
  if(DEFINED SETUP_LANGUAGES)
    branding_language_list("${SETUP_LANGUAGES}" tags)
  endif()
  message(STATUS "${SETUP_PRODUCT} ${dotted}")
endif()
