# Draws the three toolbox pictures as 16 x 16 bitmaps of 16 colours (4 bits per pixel) and
# writes them as Toolbox1.bmp .. Toolbox3.bmp into OUTPUT_DIR. The pictures are below, one
# character per pixel: the hexadecimal index into the standard 16-colour palette.
# Run as: cmake -D OUTPUT_DIR=<folder> -P ToolboxBitmaps.cmake

include(${CMAKE_CURRENT_LIST_DIR}/Bitmap16.cmake)

if(NOT OUTPUT_DIR)
  message(FATAL_ERROR "OUTPUT_DIR is not set")
endif()

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

file(MAKE_DIRECTORY "${OUTPUT_DIR}")
foreach(n 1 2 3)
  list(LENGTH picture${n} rows)
  if(NOT rows EQUAL 16)
    message(FATAL_ERROR "picture${n}: ${rows} rows, 16 expected")
  endif()
  write_bitmap16("${OUTPUT_DIR}/Toolbox${n}.bmp" "${picture${n}}")
endforeach()
