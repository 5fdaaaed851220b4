# The library's pictures, one character per pixel, and what the build makes of them: a 16-colour
# bitmap per picture with a resource script naming each one (for Windows), and the same table as
# C++ source (for the platform without windows, which tests read pixels from).
# Run as: cmake -D OUTPUT_DIR=<folder> -P Pictures.cmake
#
# Byte-exact and reproducible: CMake cannot write a zero byte itself, so the bytes go through
# printf as octal escapes.

if(NOT OUTPUT_DIR)
  message(FATAL_ERROR "OUTPUT_DIR is not set")
endif()

# Letters and their index into the standard 16-colour palette below:
# K black, S silver, D dark grey, R red, G lime (pure green), W white.
set(letter_K 0)
set(letter_S 7)
set(letter_D 8)
set(letter_R 9)
set(letter_G 10)
set(letter_W 15)
# 0 black, 1 maroon, 2 green, 3 olive, 4 navy, 5 purple, 6 teal, 7 silver,
# 8 grey, 9 red, A lime, B yellow, C blue, D fuchsia, E aqua, F white; as blue, green, red.
set(palette
  0 0 0   0 0 128   0 128 0   0 128 128   128 0 0   128 0 128   128 128 0   192 192 192
  128 128 128   0 0 255   0 255 0   0 255 255   255 0 0   255 0 255   255 255 0   255 255 255)

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

# Appends `value` to the list `out` as `width` little-endian bytes.
function(append_le out value width)
  set(list ${${out}})
  foreach(i RANGE 1 ${width})
    math(EXPR byte "${value} % 256")
    math(EXPR value "${value} / 256")
    list(APPEND list ${byte})
  endforeach()
  set(${out} ${list} PARENT_SCOPE)
endfunction()

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

# 4 bits per pixel, bottom row first, each row padded to 4 bytes.
function(write_bitmap name file)
  measure(${name})
  math(EXPR row_bytes "((${width} + 1) / 2 + 3) / 4 * 4")
  math(EXPR pixel_bytes "${row_bytes} * ${height}")
  math(EXPR file_size "118 + ${pixel_bytes}")
  set(bytes 66 77)  # "BM"
  append_le(bytes ${file_size} 4)
  append_le(bytes 0 4)
  append_le(bytes 118 4)  # offset of the pixels: 14 + 40 + 64
  append_le(bytes 40 4)   # BITMAPINFOHEADER
  append_le(bytes ${width} 4)
  append_le(bytes ${height} 4)
  append_le(bytes 1 2)
  append_le(bytes 4 2)
  append_le(bytes 0 4)    # BI_RGB
  append_le(bytes ${pixel_bytes} 4)
  append_le(bytes 0 4)
  append_le(bytes 0 4)
  append_le(bytes 16 4)   # colours used
  append_le(bytes 0 4)
  set(component 0)
  foreach(value IN LISTS palette)
    list(APPEND bytes ${value})
    math(EXPR component "${component} + 1")
    if(component EQUAL 3)
      list(APPEND bytes 0)
      set(component 0)
    endif()
  endforeach()

  set(rows ${${name}})
  list(REVERSE rows)
  math(EXPR last "${width} - 1")
  foreach(row IN LISTS rows)
    set(written 0)
    foreach(x RANGE 0 ${last} 2)
      string(SUBSTRING "${row}" ${x} 1 left)
      set(right_index 0)
      math(EXPR next "${x} + 1")
      if(next LESS width)
        string(SUBSTRING "${row}" ${next} 1 right)
        set(right_index ${letter_${right}})
      endif()
      math(EXPR byte "${letter_${left}} * 16 + ${right_index}")
      list(APPEND bytes ${byte})
      math(EXPR written "${written} + 1")
    endforeach()
    while(written LESS row_bytes)
      list(APPEND bytes 0)
      math(EXPR written "${written} + 1")
    endwhile()
  endforeach()

  set(format "")
  foreach(byte IN LISTS bytes)
    math(EXPR d2 "${byte} / 64")
    math(EXPR d1 "(${byte} / 8) % 8")
    math(EXPR d0 "${byte} % 8")
    string(APPEND format "\\${d2}${d1}${d0}")
  endforeach()
  execute_process(COMMAND printf "${format}" OUTPUT_FILE "${file}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${file}: printf failed: ${failed}")
  endif()
  file(SIZE "${file}" size)
  if(NOT size EQUAL file_size)
    message(FATAL_ERROR "${file}: ${size} bytes written, ${file_size} expected")
  endif()
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
  write_bitmap(${name} "${OUTPUT_DIR}/${name}.bmp")
  string(APPEND script "${name} BITMAP \"${name}.bmp\"\n")
  string(APPEND source "const char* const k${name}[] = {\n")
  foreach(row IN LISTS ${name})
    string(LENGTH "${row}" length)
    math(EXPR last "${length} - 1")
    set(digits "")
    foreach(x RANGE 0 ${last})
      string(SUBSTRING "${row}" ${x} 1 letter)
      math(EXPR digit "${letter_${letter}}" OUTPUT_FORMAT HEXADECIMAL)
      string(SUBSTRING "${digit}" 2 1 digit)
      string(APPEND digits "${digit}")
    endforeach()
    string(APPEND source "    \"${digits}\",\n")
  endforeach()
  string(APPEND source "};\n")
  list(LENGTH ${name} rows)
  string(APPEND entries "    {L\"${name}\", k${name}, ${rows}},\n")
endforeach()
string(APPEND source "const PictureRows kPictures[] = {\n${entries}};\n")
write_if_changed("${OUTPUT_DIR}/Pictures.rc" "${script}")
write_if_changed("${OUTPUT_DIR}/PictureTable.inc" "${source}")
