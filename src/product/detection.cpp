#include "product/detection.h"

#include "product/device_listing.h"
#include "usb/quorvex_usb.h"

namespace product {
namespace {

ListedDevice ProductDevice(const ProductRow& row, const usb::QuorvexUsb& link) {
    ListedDevice device;
    device.displayName = row.displayName;
    device.vid = row.vid;
    device.pid = row.pid;
    device.row = &row;
    device.mode = DeviceMode::Normal;
    device.interfacePath = link.DevicePath();
    device.location = LocationOfPath(device.interfacePath);
    device.openStatus = link.LastOpenStatus();
    return device;
}

ListedDevice IspDevice(bool vid2fc6, const usb::QuorvexUsb& link) {
    ListedDevice device;
    device.displayName = vid2fc6 ? "Firmware update device 2FC6" : "Firmware update device 0EA0";
    device.vid = vid2fc6 ? kIspVidQuorvex : kIspVidAlternate;
    device.pid = kIspPid;
    device.mode = DeviceMode::Isp;
    device.interfacePath = link.DevicePath();
    device.location = LocationOfPath(device.interfacePath);
    device.openStatus = link.LastOpenStatus();
    return device;
}

bool Search(usb::QuorvexUsb& link, bool audioDriver, std::string_view match) {
    link.ClearFound();
    link.SetAudioDriver(audioDriver);
    link.SetMatchString(match);
    link.FindDevice();
    return link.IsFound();
}

}  // namespace

SearchKind SearchNext(usb::QuorvexUsb& link, DetectionCursor& cursor) {
    SearchKind kind = SearchKind::Product;
    if (link.UsesAudioDriver()) {
        kind = SearchKind::Isp;
        link.SetAudioDriver(false);
        link.SetMatchString(cursor.ispToggle ? kIspMatch0ea0 : kIspMatch2fc6);
        cursor.ispToggle = !cursor.ispToggle;
    } else {
        link.SetAudioDriver(true);
        cursor.productIndex = static_cast<std::uint8_t>((cursor.productIndex + 1) % kProductCount);
        link.SetMatchString(productTable[cursor.productIndex].matchString);
    }
    link.FindDevice();  // only the found flag counts
    return kind;
}

std::optional<ListedDevice> FoundDevice(const usb::QuorvexUsb& link,
                                        const DetectionCursor& cursor) {
    if (!link.IsFound())
        return std::nullopt;
    if (link.UsesAudioDriver())
        return ProductDevice(productTable[LastProductRow(cursor)], link);
    return IspDevice(cursor.ispToggle, link);
}

std::size_t LastProductRow(const DetectionCursor& cursor) {
    return cursor.productIndex % kProductCount;
}

std::optional<ListedDevice> FindProductRow(usb::QuorvexUsb& link, DetectionCursor& cursor,
                                           std::size_t row) {
    link.SetAudioDriver(true);
    link.SetMatchString(productTable[row].matchString);
    if (!link.FindDevice())
        return std::nullopt;
    cursor.productIndex = static_cast<std::uint8_t>(row);
    return ProductDevice(productTable[row], link);
}

std::string DetectionText(const std::optional<ListedDevice>& found) {
    if (!found)
        return "No device is available";
    if (found->mode == DeviceMode::Isp)
        return found->displayName + " is exist";
    return "Find Device " + found->displayName;
}

std::optional<ListedDevice> FindNow(usb::QuorvexUsb& link) {
    for (const ProductRow& row : productTable) {
        if (Search(link, true, row.matchString))
            return ProductDevice(row, link);
    }
    if (Search(link, false, kIspMatch2fc6))
        return IspDevice(true, link);
    if (Search(link, false, kIspMatch0ea0))
        return IspDevice(false, link);
    return std::nullopt;
}

bool AimAt(usb::QuorvexUsb& link, const ListedDevice& device) {
    // Identity and location together are one contiguous run of the path, so
    // the link's own match rule picks exactly this device among several.
    const std::string ids = device.VidPidText();
    const std::string match =
        "vid_" + ids.substr(0, 4) + "&pid_" + ids.substr(5) + "#loc_" + device.location + "#";
    if (match.size() >= usb::QuorvexUsb::kMatchStringSize)
        return false;
    return Search(link, device.mode == DeviceMode::Normal, match);
}

}  // namespace product
