#include "cli/bare_chip.h"

#include "catalog/update_file_rule.h"
#include "cli/session.h"
#include "product/table_product.h"

namespace cli {

const product::ProductRow* FlashProductOf(Session& session, const product::ListedDevice& device) {
    if (device.row != nullptr || session.Aim(device))
        return nullptr;
    return product::ProductInFlash(session.Link());
}

Outcome FileRequiredFor(const product::ListedDevice& device, const product::ProductRow* inFlash) {
    Outcome outcome;
    outcome.exitCode = kExitUsage;
    outcome.message = "the device at " + device.location +
                      " is the bare chip waiting in ISP mode for its firmware (an earlier "
                      "update did not finish), so it cannot tell which product it is; ";
    if (inFlash != nullptr) {
        outcome.message += "its flash was last written for " + std::string(inFlash->displayName) +
                           ": palereed-flash update " + product::UpdateFileName(*inFlash) +
                           " --device " + device.location;
    } else {
        outcome.message += "name your product's update file: palereed-flash update FILE --device " +
                           device.location;
    }
    return outcome;
}

const product::ProductRow* ProductOfImage(const image::FirmwareImage& image) {
    return product::ProductOfTable(image.Defined());
}

}  // namespace cli
