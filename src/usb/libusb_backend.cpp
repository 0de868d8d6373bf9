#include "usb/libusb_backend.h"
