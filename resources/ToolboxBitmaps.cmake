# Draws the three toolbox pictures as 16 x 16 bitmaps of 16 colours (4 bits per pixel) and
# writes them as Toolbox1.bmp .. Toolbox3.bmp into OUTPUT_DIR. The pictures are below, one
# character per pixel: the hexadecimal index into the standard 16-colour palette.
# Run as: cmake -D OUTPUT_DIR=<folder> -P ToolboxBitmaps.cmake
#
# Byte-exact and reproducible: CMake cannot write a zero byte itself, so the bytes go through
# printf as octal escapes.

if(NOT OUTPUT_DIR)
  message(FATAL_ERROR "OUTPUT_DIR is not set")
endif()

# 0 black, 1 maroon, 2 green, 3 olive, 4 navy, 5 purple, 6 teal, 7 silver,
# 8 grey, 9 red, A lime, B yellow, C blue, D fuchsia, E aqua, F white; as blue, green, red.
set(palette
  0 0 0   0 0 128   0 128 0   0 128 128   128 0 0   128 0 128   128 128 0   192 192 192
  128 128 128   0 0 255   0 255 0   0 255 255   255 0 0   255 0 255   255 255 0   255 255 255)

# B740X, the multimeter: a red reading, the function buttons, the range track bar.
set(picture1
  7777777777777777
  7000000000000007
  7099909990999007
  7090909090909007
  7099909990999007
  7090909090909007
  7099909990999007
  7000000000000007
  7777777777777777
  7FF8FF8FF8FF8777
  7888888888888777
  7777777777777777
  7777777777777777
  7800000000000877
  777777B777777777
  7777777777777777)

# HP4191X, the impedance analyzer: a swept curve, its buttons and the sweep gauge.
set(picture2
  7777777777777777
  7000000000000007
  70000000000AA007
  7000000000A00007
  700000000A000007
  70000000A0000007
  7000000A00000007
  70AA00A000000007
  700AAA0000000007
  7000000000000007
  7777777777777777
  7CC7CC7CC7CC7777
  7777777777777777
  7999999999999977
  7777777777777777
  7777777777777777)

# E712X, the LCR meter: two readings, the function buttons, the range track bar.
set(picture3
  7777777777777777
  7000000000000007
  70BBB0BBB0BBB007
  70B0B0B0B0B0B007
  70BBB0BBB0BBB007
  7000000000000007
  7099909990999007
  7090909090909007
  7099909990999007
  7000000000000007
  7777777777777777
  7FF8FF8FF8FF8777
  7888888888888777
  7777777777777777
  7800000000000877
  777777B777777777)

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

function(write_bitmap file rows)
  list(LENGTH rows height)
  if(NOT height EQUAL 16)
    message(FATAL_ERROR "${file}: ${height} rows, 16 expected")
  endif()

  set(pixel_bytes 128)  # 16 rows of 16 pixels, two per byte; rows need no padding
  set(bytes 66 77)      # "BM"
  append_le(bytes 246 4)  # file size: 14 + 40 + 64 + 128
  append_le(bytes 0 4)
  append_le(bytes 118 4)  # offset of the pixels
  append_le(bytes 40 4)   # BITMAPINFOHEADER
  append_le(bytes 16 4)
  append_le(bytes 16 4)   # positive: bottom row first
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

  list(REVERSE rows)
  foreach(row IN LISTS rows)
    string(LENGTH "${row}" width)
    if(NOT width EQUAL 16)
      message(FATAL_ERROR "${file}: row '${row}' has ${width} pixels, 16 expected")
    endif()
    foreach(x RANGE 0 14 2)
      string(SUBSTRING "${row}" ${x} 2 pair)
      math(EXPR byte "0x${pair}")
      list(APPEND bytes ${byte})
    endforeach()
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
  if(NOT size EQUAL 246)
    message(FATAL_ERROR "${file}: ${size} bytes written, 246 expected")
  endif()
endfunction()

file(MAKE_DIRECTORY "${OUTPUT_DIR}")
foreach(n 1 2 3)
  write_bitmap("${OUTPUT_DIR}/Toolbox${n}.bmp" "${picture${n}}")
endforeach()
