#pragma once

#include <string>

#include "cli/outcome.h"
#include "image/firmware_image.h"
#include "product/listed_device.h"

namespace cli {

class Session;

// The bare chip waiting in ISP mode cannot say which product it belongs to;
// a parameter table left in its flash by the interrupted update can.
const product::ProductRow* FlashProductOf(Session& session, const product::ListedDevice& device);

// Why `update` needs FILE for the bare chip, naming the product its flash
// was last written for when known.
Outcome FileRequiredFor(const product::ListedDevice& device, const product::ProductRow* inFlash);

// The product FILE is for, from its own parameter table, or null.
const product::ProductRow* ProductOfImage(const image::FirmwareImage& image);

}  // namespace cli
