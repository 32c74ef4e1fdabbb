# Builds the logo PNG into the program as bytes (LogoBytes()).
set(VANTREL_LOGO_PNG ${CMAKE_CURRENT_LIST_DIR}/logo.png)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${VANTREL_LOGO_PNG})
file(READ ${VANTREL_LOGO_PNG} VANTREL_LOGO_HEX HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," VANTREL_LOGO_BYTES "${VANTREL_LOGO_HEX}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)"
       "\\1\n" VANTREL_LOGO_BYTES "${VANTREL_LOGO_BYTES}")
file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/generated/LogoBytes.cpp CONTENT [=[
// Generated from src/app/logo.png; do not edit.
#include "app/QueryWindow.h"

namespace {
const unsigned char kLogo[] = {
@VANTREL_LOGO_BYTES@
};
}  // namespace

const ByteSet& LogoBytes() {
  static const ByteSet bytes(kLogo, kLogo + sizeof kLogo);
  return bytes;
}
]=] @ONLY)
list(APPEND VANTREL_GENERATED_SOURCES ${CMAKE_CURRENT_BINARY_DIR}/generated/LogoBytes.cpp)
