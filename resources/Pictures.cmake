# The library's pictures, one character per pixel, and what the build makes of them: a 16-colour
# bitmap per picture with a resource script naming each one (for Windows), and the same table as
# C++ source (for the platform without windows, which tests read pixels from).
# Run as: cmake -D OUTPUT_DIR=<folder> -P Pictures.cmake

include(${CMAKE_CURRENT_LIST_DIR}/Bitmap16.cmake)

if(NOT OUTPUT_DIR)
  message(FATAL_ERROR "OUTPUT_DIR is not set")
endif()

# Letters and their index into the standard 16-colour palette (Bitmap16.cmake):
# K black, S silver, D dark grey, R red, G lime (pure green), W white.
set(letter_K 0)
set(letter_S 7)
set(letter_D 8)
set(letter_R 9)
set(letter_G 10)
set(letter_W 15)
set(pictures ALEDSM ALEDLG ALEDSQSM ALEDSQLG ALEDVT ALEDHZ SCANUP SCANDOWN)

# The LED lamps. Each is a raised bezel around a lamp whose face is pure green (G): one area,
# connected side by side, that holds the centre pixel; no other pixel is pure green. The LED
# recolours that area, so the white glint on the face keeps its colour.

# Round, 16 x 16.
set(ALEDSM
  WWWWWWWWWWWWWWWW
  WSSSSKKKKKKSSSSD
  WSSSKWWWWWSKSSSD
  WSSKWWKKKKSSKSSD
  WSKWWKGGGGKSSKSD
  WKWWKWGWGGGKSDKD
  WKWKGGWGGGGGKDKD
  WKWKGWGGGGGGKDKD
  WKWKGGGGGGGGKDKD
  WKWKGGGGGGGGKDKD
  WKSSKGGGGGGKDDKD
  WSKSSKGGGGKDDKSD
  WSSKSSKKKKDDKSSD
  WSSSKDDDDDDKSSSD
  WSSSSKKKKKKSSSSD
  DDDDDDDDDDDDDDDD)

# Round, 22 x 22, face 14 across.
set(ALEDLG
  WWWWWWWWWWWWWWWWWWWWWW
  WSSSSSSSKKKKKKSSSSSSSD
  WSSSSSKKWWWWWWKKSSSSSD
  WSSSSKWWKKKKKKWWKSSSSD
  WSSSKWWKGGGGGGKWWKSSSD
  WSSKWWKGGGGGGGGKDDKSSD
  WSKWWKGGWGGGGGGGKDDKSD
  WSKWKGGWGWGGGGGGGKDKSD
  WKWKGGWGGGGGGGGGGGKDKD
  WKWKGGGWGGGGGGGGGGKDKD
  WKWKGGGGGGGGGGGGGGKDKD
  WKWKGGGGGGGGGGGGGGKDKD
  WKWKGGGGGGGGGGGGGGKDKD
  WKWKGGGGGGGGGGGGGGKDKD
  WSKWKGGGGGGGGGGGGKDKSD
  WSKWWKGGGGGGGGGGKDDKSD
  WSSKWDKGGGGGGGGKDDKSSD
  WSSSKDDKGGGGGGKDDKSSSD
  WSSSSKDDKKKKKKDDKSSSSD
  WSSSSSKKDDDDDDKKSSSSSD
  WSSSSSSSKKKKKKSSSSSSSD
  DDDDDDDDDDDDDDDDDDDDDD)

# Square, 16 x 16, face 8 x 8.
set(ALEDSQSM
  WWWWWWWWWWWWWWWW
  WKKKKKKKKKKKKKKD
  WKSSSSSSSSSSSDKD
  WKSKKKKKKKKKKDKD
  WKSKGGGGGGGGKDKD
  WKSKGGGWWGGGKDKD
  WKSKGGWWGGGGKDKD
  WKSKGWWGGGGGKDKD
  WKSKGWGGGGGGKDKD
  WKSKGGGGGGGGKDKD
  WKSKGGGGGGGGKDKD
  WKSKGGGGGGGGKDKD
  WKSKKKKKKKKKKDKD
  WKDDDDDDDDDDDDKD
  WKKKKKKKKKKKKKKD
  DDDDDDDDDDDDDDDD)

# Square, 22 x 22, face 14 x 14.
set(ALEDSQLG
  WWWWWWWWWWWWWWWWWWWWWW
  WKKKKKKKKKKKKKKKKKKKKD
  WKSSSSSSSSSSSSSSSSSDKD
  WKSKKKKKKKKKKKKKKKKDKD
  WKSKGGGGGGGGGGGGGGKDKD
  WKSKGGGWWGGGGGGGGGKDKD
  WKSKGGWWGGGGGGGGGGKDKD
  WKSKGWWGGGGGGGGGGGKDKD
  WKSKGWGGGGGGGGGGGGKDKD
  WKSKGGGGGGGGGGGGGGKDKD
  WKSKGGGGGGGGGGGGGGKDKD
  WKSKGGGGGGGGGGGGGGKDKD
  WKSKGGGGGGGGGGGGGGKDKD
  WKSKGGGGGGGGGGGGGGKDKD
  WKSKGGGGGGGGGGGGGGKDKD
  WKSKGGGGGGGGGGGGGGKDKD
  WKSKGGGGGGGGGGGGGGKDKD
  WKSKGGGGGGGGGGGGGGKDKD
  WKSKKKKKKKKKKKKKKKKDKD
  WKDDDDDDDDDDDDDDDDDDKD
  WKKKKKKKKKKKKKKKKKKKKD
  DDDDDDDDDDDDDDDDDDDDDD)

# Upright bar, 14 x 22, face 6 x 14.
set(ALEDVT
  WWWWWWWWWWWWWW
  WKKKKKKKKKKKKD
  WKSSSSSSSSSDKD
  WKSKKKKKKKKDKD
  WKSKGGGGGGKDKD
  WKSKGGGWWGKDKD
  WKSKGGWWGGKDKD
  WKSKGWWGGGKDKD
  WKSKGWGGGGKDKD
  WKSKGGGGGGKDKD
  WKSKGGGGGGKDKD
  WKSKGGGGGGKDKD
  WKSKGGGGGGKDKD
  WKSKGGGGGGKDKD
  WKSKGGGGGGKDKD
  WKSKGGGGGGKDKD
  WKSKGGGGGGKDKD
  WKSKGGGGGGKDKD
  WKSKKKKKKKKDKD
  WKDDDDDDDDDDKD
  WKKKKKKKKKKKKD
  DDDDDDDDDDDDDD)

# Lying bar, 22 x 14, face 14 x 6.
set(ALEDHZ
  WWWWWWWWWWWWWWWWWWWWWW
  WKKKKKKKKKKKKKKKKKKKKD
  WKSSSSSSSSSSSSSSSSSDKD
  WKSKKKKKKKKKKKKKKKKDKD
  WKSKGGGGGGGGGGGGGGKDKD
  WKSKGGGWWGGGGGGGGGKDKD
  WKSKGGWWGGGGGGGGGGKDKD
  WKSKGWWGGGGGGGGGGGKDKD
  WKSKGWGGGGGGGGGGGGKDKD
  WKSKGGGGGGGGGGGGGGKDKD
  WKSKKKKKKKKKKKKKKKKDKD
  WKDDDDDDDDDDDDDDDDDDKD
  WKKKKKKKKKKKKKKKKKKKKD
  DDDDDDDDDDDDDDDDDDDDDD)

# The sweep buttons' glyphs: the arrow, and beside it the same arrow greyed for the disabled
# button. The lower left pixel is the transparent colour.
set(SCANUP
  SSSSSSSSSSSSSSSSSS
  SSSSRSSSSSSSSDSSSS
  SSSRRRSSSSSSDDDSSS
  SSRRRRRSSSSDDDDDSS
  SRRRRRRRSSDDDDDDDS
  SSSRRRSSSSSWDDDWWW
  SSSRRRSSSSSSDDDWSS
  SSSRRRSSSSSSDDDWSS
  SSSSSSSSSSSSSWWWSS)

set(SCANDOWN
  SSSSSSSSSSSSSSSSSS
  SSSRRRSSSSSSDDDSSS
  SSSRRRSSSSSSDDDWSS
  SSSRRRSSSSSSDDDWSS
  SRRRRRRRSSDDDDDDDS
  SSRRRRRSSSSDDDDDWW
  SSSRRRSSSSSSDDDWWS
  SSSSRSSSSSSSSDWWSS
  SSSSSSSSSSSSSSWSSS)

# Checks the picture's rows and sets `width` and `height` in the caller.
function(measure name)
  set(rows ${${name}})
  list(LENGTH rows h)
  list(GET rows 0 first)
  string(LENGTH "${first}" w)
  foreach(row IN LISTS rows)
    string(LENGTH "${row}" length)
    if(NOT length EQUAL w)
      message(FATAL_ERROR "${name}: row '${row}' has ${length} pixels, ${w} expected")
    endif()
    if(NOT row MATCHES "^[KSDRGW]+$")
      message(FATAL_ERROR "${name}: row '${row}' holds a letter without a colour")
    endif()
  endforeach()
  set(width ${w} PARENT_SCOPE)
  set(height ${h} PARENT_SCOPE)
endfunction()

# The picture's rows as palette indices, one hexadecimal digit a pixel, in `out`.
function(palette_rows name out)
  measure(${name})
  math(EXPR last "${width} - 1")
  set(result "")
  foreach(row IN LISTS ${name})
    set(digits "")
    foreach(x RANGE 0 ${last})
      string(SUBSTRING "${row}" ${x} 1 letter)
      math(EXPR digit "${letter_${letter}}" OUTPUT_FORMAT HEXADECIMAL)
      string(SUBSTRING "${digit}" 2 1 digit)
      string(APPEND digits "${digit}")
    endforeach()
    list(APPEND result ${digits})
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# Writes `content` only when it differs, so that what depends on the file is not rebuilt for nothing.
function(write_if_changed file content)
  if(EXISTS "${file}")
    file(READ "${file}" old)
    if(old STREQUAL content)
      return()
    endif()
  endif()
  file(WRITE "${file}" "${content}")
endfunction()

file(MAKE_DIRECTORY "${OUTPUT_DIR}")
set(script "// Drawn by Pictures.cmake: the library's pictures by name.\n")
set(source "// Drawn by Pictures.cmake: the pictures as rows of palette indices, one hexadecimal digit a pixel.\n")
set(entries "")
foreach(name IN LISTS pictures)
  palette_rows(${name} rows)
  write_bitmap16("${OUTPUT_DIR}/${name}.bmp" "${rows}")
  string(APPEND script "${name} BITMAP \"${name}.bmp\"\n")
  string(APPEND source "const char* const k${name}[] = {\n")
  foreach(digits IN LISTS rows)
    string(APPEND source "    \"${digits}\",\n")
  endforeach()
  string(APPEND source "};\n")
  list(LENGTH ${name} rows)
  string(APPEND entries "    {L\"${name}\", k${name}, ${rows}},\n")
endforeach()
string(APPEND source "const PictureRows kPictures[] = {\n${entries}};\n")
write_if_changed("${OUTPUT_DIR}/Pictures.rc" "${script}")
write_if_changed("${OUTPUT_DIR}/PictureTable.inc" "${source}")
