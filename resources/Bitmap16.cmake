# Writes 16-colour bitmaps (4 bits per pixel, the standard palette) from rows of palette
# indices, one hexadecimal digit a pixel. Included by the scripts that draw the library's
# pictures.
#
# Byte-exact and reproducible: CMake cannot write a zero byte itself, so the bytes go through
# printf as octal escapes.

# 0 black, 1 maroon, 2 green, 3 olive, 4 navy, 5 purple, 6 teal, 7 silver,
# 8 grey, 9 red, A lime, B yellow, C blue, D fuchsia, E aqua, F white; as blue, green, red.
set(bitmap16_palette
  0 0 0   0 0 128   0 128 0   0 128 128   128 0 0   128 0 128   128 128 0   192 192 192
  128 128 128   0 0 255   0 255 0   0 255 255   255 0 0   255 0 255   255 255 0   255 255 255)

# Appends `value` to the list `out` as `width` little-endian bytes.
function(bitmap16_append_le out value width)
  set(list ${${out}})
  foreach(i RANGE 1 ${width})
    math(EXPR byte "${value} % 256")
    list(APPEND list ${byte})
    math(EXPR value "${value} / 256")
  endforeach()
  set(${out} ${list} PARENT_SCOPE)
endfunction()

# Writes `file` from the rows (top row first), all of one width; bottom row first in the file,
# each row padded to 4 bytes.
function(write_bitmap16 file rows)
  list(LENGTH rows height)
  list(GET rows 0 first)
  string(LENGTH "${first}" width)
  math(EXPR row_bytes "((${width} + 1) / 2 + 3) / 4 * 4")
  math(EXPR pixel_bytes "${row_bytes} * ${height}")
  math(EXPR file_size "118 + ${pixel_bytes}")
  set(bytes 66 77)  # "BM"
  bitmap16_append_le(bytes ${file_size} 4)
  bitmap16_append_le(bytes 0 4)
  bitmap16_append_le(bytes 118 4)  # offset of the pixels: 14 + 40 + 64
  bitmap16_append_le(bytes 40 4)   # BITMAPINFOHEADER
  bitmap16_append_le(bytes ${width} 4)
  bitmap16_append_le(bytes ${height} 4)  # positive: bottom row first
  bitmap16_append_le(bytes 1 2)
  bitmap16_append_le(bytes 4 2)
  bitmap16_append_le(bytes 0 4)    # BI_RGB
  bitmap16_append_le(bytes ${pixel_bytes} 4)
  bitmap16_append_le(bytes 0 4)
  bitmap16_append_le(bytes 0 4)
  bitmap16_append_le(bytes 16 4)   # colours used
  bitmap16_append_le(bytes 0 4)
  set(component 0)
  foreach(value IN LISTS bitmap16_palette)
    list(APPEND bytes ${value})
    math(EXPR component "${component} + 1")
    if(component EQUAL 3)
      list(APPEND bytes 0)
      set(component 0)
    endif()
  endforeach()

  list(REVERSE rows)
  math(EXPR last "${width} - 1")
  foreach(row IN LISTS rows)
    string(LENGTH "${row}" length)
    if(NOT length EQUAL width OR NOT row MATCHES "^[0-9A-Fa-f]+$")
      message(FATAL_ERROR "${file}: row '${row}' is not ${width} palette indices")
    endif()
    set(written 0)
    foreach(x RANGE 0 ${last} 2)
      string(SUBSTRING "${row}" ${x} 1 left)
      set(right 0)
      math(EXPR next "${x} + 1")
      if(next LESS width)
        string(SUBSTRING "${row}" ${next} 1 right)
      endif()
      math(EXPR byte "0x${left} * 16 + 0x${right}")
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
