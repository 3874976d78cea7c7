# The loader's security code and the USB device kind's connect command are per-device constants.
# They are set at build time and generated into one header that the tool and the simulator share.
set(TRELVIN2_SECURITY_CODE "0x4B,0x32,0x9E" CACHE STRING
    "The three bytes that unlock the Trelvin 2 boot loader, comma-separated hexadecimal")
set(TRELVIN2_USB_CONNECT_COMMAND "0x1B,0x55,0x53,0x42,0x07,0x0D" CACHE STRING
    "The six bytes that bring a USB-Trelvin into its boot loader, comma-separated hexadecimal")

function(trelvin2_byte_list name value expected_count out_var)
  string(REPLACE "," ";" bytes "${value}")
  list(LENGTH bytes count)
  if(NOT count EQUAL expected_count)
    message(FATAL_ERROR "${name} needs ${expected_count} bytes, got ${count}: '${value}'")
  endif()
  set(items "")
  foreach(byte IN LISTS bytes)
    string(STRIP "${byte}" byte)
    if(NOT byte MATCHES "^0[xX][0-9a-fA-F][0-9a-fA-F]?$")
      message(FATAL_ERROR "${name}: '${byte}' is not a hexadecimal byte such as 0x4B")
    endif()
    list(APPEND items "${byte}")
  endforeach()
  string(REPLACE ";" ", " joined "${items}")
  set(${out_var} "${joined}" PARENT_SCOPE)
endfunction()

trelvin2_byte_list(TRELVIN2_SECURITY_CODE "${TRELVIN2_SECURITY_CODE}" 3 TRELVIN2_SECURITY_CODE_ITEMS)
trelvin2_byte_list(TRELVIN2_USB_CONNECT_COMMAND "${TRELVIN2_USB_CONNECT_COMMAND}" 6
                   TRELVIN2_USB_CONNECT_COMMAND_ITEMS)
configure_file(${CMAKE_SOURCE_DIR}/cmake/build_constants.h.in
               ${CMAKE_BINARY_DIR}/generated/build_constants.h @ONLY)

add_library(trelvin2_constants INTERFACE)
target_include_directories(trelvin2_constants INTERFACE ${CMAKE_BINARY_DIR}/generated)
