# The automation contract, compiled by widl into the type library that the server embeds,
# the C/C++ declarations of its interfaces and the definitions of its GUIDs.
#
# widl refuses version() on a dispinterface and writes 0.0, but the event interface is 1.0.
# The same file, run as a script (cmake -P), sets that one field in the generated library.

if(CMAKE_SCRIPT_MODE_FILE)
  # Little-endian 32-bit word of the MSFT (type library) file at a byte offset.
  function(apparata_tlb_word file offset out)
    file(READ "${file}" hex OFFSET ${offset} LIMIT 4 HEX)
    string(LENGTH "${hex}" length)
    if(NOT length EQUAL 8)
      message(FATAL_ERROR "${file}: truncated at byte ${offset}")
    endif()
    string(SUBSTRING "${hex}" 0 2 b0)
    string(SUBSTRING "${hex}" 2 2 b1)
    string(SUBSTRING "${hex}" 4 2 b2)
    string(SUBSTRING "${hex}" 6 2 b3)
    math(EXPR value "0x${b3}${b2}${b1}${b0}")
    set(${out} ${value} PARENT_SCOPE)
  endfunction()

  set(tlb "${APPARATA_TLB}")
  # {3C053B02-2C71-11D5-B2A4-FE129D63AC66} as stored: first three fields little-endian.
  set(events_guid "023b053c712cd511b2a4fe129d63ac66")

  file(READ "${tlb}" magic LIMIT 4 HEX)
  if(NOT magic STREQUAL "4d534654")
    message(FATAL_ERROR "${tlb}: not an MSFT type library")
  endif()
  apparata_tlb_word("${tlb}" 20 varflags)
  apparata_tlb_word("${tlb}" 32 type_count)
  # Header of 0x54 bytes, a help DLL name offset if flagged, one offset per type, then the
  # segment directory: its first entry locates the type info table, its sixth the GUID table.
  math(EXPR offsets "84 + ((${varflags} & 256) >> 6)")
  math(EXPR segments "${offsets} + 4 * ${type_count}")
  apparata_tlb_word("${tlb}" ${segments} type_table)
  math(EXPR at "${segments} + 5 * 16")
  apparata_tlb_word("${tlb}" ${at} guid_table)

  set(found "")
  math(EXPR last "${type_count} - 1")
  foreach(index RANGE ${last})
    math(EXPR at "${offsets} + 4 * ${index}")
    apparata_tlb_word("${tlb}" ${at} entry)
    math(EXPR entry "${type_table} + ${entry}")
    math(EXPR at "${entry} + 0x2C")
    apparata_tlb_word("${tlb}" ${at} guid_offset)
    math(EXPR at "${guid_table} + ${guid_offset}")
    file(READ "${tlb}" guid OFFSET ${at} LIMIT 16 HEX)
    if(guid STREQUAL events_guid)
      list(APPEND found ${entry})
    endif()
  endforeach()
  list(LENGTH found matches)
  if(NOT matches EQUAL 1)
    message(FATAL_ERROR "${tlb}: ${matches} type infos carry the event interface's GUID")
  endif()

  # The type info's version word: major in the low half, minor in the high half.
  math(EXPR at "${found} + 0x38")
  apparata_tlb_word("${tlb}" ${at} version)
  if(NOT version EQUAL 0)
    message(FATAL_ERROR "${tlb}: event interface version word is ${version}, expected widl's 0")
  endif()
  string(ASCII 1 major)
  file(WRITE "${tlb}.major" "${major}")
  execute_process(
    COMMAND dd "if=${tlb}.major" "of=${tlb}" bs=1 seek=${at} count=1 conv=notrunc status=none
    RESULT_VARIABLE failed)
  file(REMOVE "${tlb}.major")
  if(failed)
    message(FATAL_ERROR "${tlb}: writing the event interface version failed: ${failed}")
  endif()
  return()
endif()

# widl declares IDispatch from Wine's oaidl.idl: Debian's mingw-w64 ships no IDL files.
if(NOT APPARATA_WIDL OR NOT APPARATA_WINE_IDL_DIR)
  message(FATAL_ERROR "APPARATA_WIDL or APPARATA_WINE_IDL_DIR is not set: configure with a toolchain file from cmake/")
endif()

set(apparata_contract_dir ${CMAKE_BINARY_DIR}/framework)
set(APPARATA_TLB ${apparata_contract_dir}/Apparata.tlb
    CACHE INTERNAL "Type library to embed in the server as TYPELIB 1")
set(apparata_contract_outputs
    ${APPARATA_TLB}
    ${apparata_contract_dir}/Apparata_h.h
    ${apparata_contract_dir}/Apparata_i.c)

add_custom_command(
  OUTPUT ${apparata_contract_outputs}
  COMMAND ${APPARATA_WIDL} ${APPARATA_WIDL_FLAGS} -I ${APPARATA_WINE_IDL_DIR}
          -t -T ${APPARATA_TLB}
          -h -H ${apparata_contract_dir}/Apparata_h.h
          -u -U ${apparata_contract_dir}/Apparata_i.c
          ${CMAKE_CURRENT_LIST_DIR}/Apparata.idl
  COMMAND ${CMAKE_COMMAND} -D APPARATA_TLB=${APPARATA_TLB} -P ${CMAKE_CURRENT_LIST_FILE}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/Apparata.idl ${CMAKE_CURRENT_LIST_FILE}
  COMMENT "Compiling the Apparata type library"
  VERBATIM)
add_custom_target(apparata_typelib DEPENDS ${apparata_contract_outputs})

# Consumers include "Apparata_h.h" and get the GUID definitions compiled in (selectany, so
# several consumers in one image do not collide).
add_library(apparata_contract INTERFACE)
target_include_directories(apparata_contract INTERFACE ${apparata_contract_dir})
target_sources(apparata_contract INTERFACE ${apparata_contract_dir}/Apparata_i.c)
add_dependencies(apparata_contract apparata_typelib)
