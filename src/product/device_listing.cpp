#include "product/device_listing.h"

#include <algorithm>

#include "usb/device_backend.h"
#include "usb/guid.h"
#include "usb/quorvex_usb.h"

namespace product {
namespace {

constexpr std::string_view kLocationTag = "#loc_";

struct IspIdentity {
    std::string_view match;
    std::uint16_t vid;
    const char* displayName;
};

constexpr IspIdentity kIspIdentities[] = {
    {kIspMatch2fc6, kIspVidQuorvex, "Firmware update device 2FC6"},
    {kIspMatch0ea0, kIspVidAlternate, "Firmware update device 0EA0"},
};

usb::OpenStatus TryOpen(usb::DeviceBackend& backend, const std::string& path) {
    const usb::DeviceBackend::OpenResult open = backend.Open(path);
    if (open.status == usb::OpenStatus::Ok)
        backend.Close(open.handle);
    return open.status;
}

// The product-table row whose identity the interface path carries, if any.
const ProductRow* RowOfPath(std::string_view path) {
    const auto row = std::ranges::find_if(productTable, [&](const ProductRow& candidate) {
        return path.find(candidate.matchString) != std::string_view::npos;
    });
    return row == productTable.end() ? nullptr : &*row;
}

void AddProducts(usb::DeviceBackend& backend, std::vector<ListedDevice>& devices) {
    const auto paths = backend.ListInterfacePaths(usb::kAudioDriverInterfaceClass);
    for (const std::string& path : paths.value_or(std::vector<std::string>{})) {
        const ProductRow* row = RowOfPath(path);
        if (row == nullptr)
            continue;
        devices.push_back({std::string(row->displayName), row->vid, row->pid, LocationOfPath(path),
                           DeviceMode::Normal, row, path, TryOpen(backend, path)});
    }
}

void AddIspChips(usb::DeviceBackend& backend, std::vector<ListedDevice>& devices) {
    const auto paths = backend.ListInterfacePaths(usb::kUsbDeviceInterfaceClass);
    for (const std::string& path : paths.value_or(std::vector<std::string>{})) {
        for (const IspIdentity& isp : kIspIdentities) {
            if (path.find(isp.match) == std::string::npos)
                continue;
            devices.push_back({isp.displayName, isp.vid, kIspPid, LocationOfPath(path),
                               DeviceMode::Isp, nullptr, path, TryOpen(backend, path)});
        }
    }
}

}  // namespace

std::vector<ListedDevice> ListDevices(usb::DeviceBackend& backend) {
    std::vector<ListedDevice> devices;
    AddProducts(backend, devices);
    AddIspChips(backend, devices);
    return devices;
}

std::optional<ListedDevice> DeviceAt(const std::vector<ListedDevice>& devices,
                                     std::string_view location) {
    const auto found = std::ranges::find_if(
        devices, [&](const ListedDevice& device) { return device.location == location; });
    if (found == devices.end())
        return std::nullopt;
    return *found;
}

std::string LocationOfPath(std::string_view interfacePath) {
    const std::size_t start = interfacePath.find(kLocationTag);
    if (start == std::string_view::npos)
        return {};
    const std::size_t first = start + kLocationTag.size();
    const std::size_t end = interfacePath.find('#', first);
    return std::string(interfacePath.substr(
        first, end == std::string_view::npos ? std::string_view::npos : end - first));
}

bool UpdatedProductBack(const usb::QuorvexUsb& link, std::string_view updatedPath) {
    const std::string location = LocationOfPath(updatedPath);
    const bool wasProduct = RowOfPath(updatedPath) != nullptr;
    return std::ranges::any_of(link.PresentInterfacePaths(true), [&](const std::string& path) {
        if (RowOfPath(path) == nullptr)
            return false;
        if (!location.empty())
            return LocationOfPath(path) == location;
        return !wasProduct || path == updatedPath;
    });
}

}  // namespace product
