#include <libusb.h>

// Preloaded into the real executable so that its USB stack cannot start, the
// way libusb fails on a system without usbfs; the tool must then say so and
// exit instead of opening its window.
extern "C" int LIBUSB_CALL libusb_init(libusb_context** /*context*/) {
    return LIBUSB_ERROR_OTHER;
}
