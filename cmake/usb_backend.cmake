# The backend for real devices: libusb on Linux (and macOS), the Windows
# device calls on Windows. The simulated backend is built everywhere.
if(WIN32)
    set(PALEREED_DEFAULT_USB_BACKEND win32)
else()
    set(PALEREED_DEFAULT_USB_BACKEND libusb)
endif()
set(PALEREED_USB_BACKEND ${PALEREED_DEFAULT_USB_BACKEND} CACHE STRING
    "Backend for real USB devices: libusb or win32")
set_property(CACHE PALEREED_USB_BACKEND PROPERTY STRINGS libusb win32)
if(NOT PALEREED_USB_BACKEND MATCHES "^(libusb|win32)$")
    message(FATAL_ERROR "PALEREED_USB_BACKEND must be libusb or win32, not '${PALEREED_USB_BACKEND}'")
endif()
# The Windows backend's logic builds anywhere (its unit tests use a fake
# Windows), but only a Windows build has the real calls to run it on.
if(PALEREED_USB_BACKEND STREQUAL "win32" AND NOT WIN32)
    message(FATAL_ERROR "PALEREED_USB_BACKEND=win32 needs a Windows build "
                        "(see cmake/toolchain-mingw-w64.cmake)")
endif()
if(PALEREED_USB_BACKEND STREQUAL "libusb")
    find_package(PkgConfig REQUIRED)
    pkg_check_modules(LIBUSB REQUIRED IMPORTED_TARGET libusb-1.0)
endif()
