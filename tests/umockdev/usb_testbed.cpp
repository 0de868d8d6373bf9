#include "usb_testbed.h"

#include <cstdio>
#include <stdexcept>

#include "emulated_device.h"

namespace umockdev_test {
namespace {

std::string Hex4(std::uint16_t v) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", v);
    return text;
}

std::string Dec3(std::uint8_t v) {
    char text[8];
    std::snprintf(text, sizeof text, "%03u", static_cast<unsigned>(v));
    return text;
}

}  // namespace

std::string DevNode(std::uint8_t bus, std::uint8_t address) {
    return "/dev/bus/usb/" + Dec3(bus) + "/" + Dec3(address);
}

UsbTestbed::UsbTestbed() : testbed_(umockdev_testbed_new()) {}

UsbTestbed::~UsbTestbed() {
    g_object_unref(testbed_);
}

std::string UsbTestbed::Add(const DeviceRecord& r, EmulatedDevice* device) {
    const std::string node = DevNode(r.bus, r.address);
    // The handler must own the node before udev announces it, or the node
    // would be created as a plain file.
    if (device != nullptr) {
        GError* error = nullptr;
        if (!umockdev_testbed_attach_ioctl(testbed_, node.c_str(), device->Handler(), &error)) {
            const std::string message = error != nullptr ? error->message : "unknown error";
            if (error != nullptr)
                g_error_free(error);
            throw std::runtime_error("cannot attach ioctl handler: " + message);
        }
        CreateNodeFile(node);
    }
    // sysfs text attributes end in a newline, as the kernel writes them.
    const std::string busnum = std::to_string(r.bus) + "\n";
    const std::string devnum = std::to_string(r.address) + "\n";
    const std::string vid = Hex4(r.vid) + "\n";
    const std::string pid = Hex4(r.pid) + "\n";
    // USB device nodes are character devices of major 189, one minor per address.
    const std::string dev = "189:" + std::to_string((r.bus - 1) * 128 + (r.address - 1)) + "\n";
    WriteDescriptors(r);
    gchar* path = umockdev_testbed_add_device(
        testbed_, "usb", r.name.c_str(), r.parentPath.empty() ? nullptr : r.parentPath.c_str(),
        // sysfs attributes
        "busnum", busnum.c_str(), "devnum", devnum.c_str(), "speed", "480\n", "idVendor",
        vid.c_str(), "idProduct", pid.c_str(), "bConfigurationValue", "1\n", "bNumConfigurations",
        "1\n", "dev", dev.c_str(), nullptr,
        // udev properties; DEVNAME is relative to /dev, as in a kernel uevent
        "DEVNAME", node.substr(5).c_str(), "DEVTYPE", "usb_device", "BUSNUM", Dec3(r.bus).c_str(),
        "DEVNUM", Dec3(r.address).c_str(), nullptr);
    const std::string sysPath = path;
    g_free(path);
    nodes_[sysPath] = node;
    return sysPath;
}

// Adding the device sends its "add" uevent, and libusb reads the descriptors
// as soon as it hears it; so they are in place before the device is. The
// testbed takes a device directory that holds files but no "uevent" yet.
void UsbTestbed::WriteDescriptors(const DeviceRecord& r) const {
    gchar* root = umockdev_testbed_get_root_dir(testbed_);
    const std::string parent = r.parentPath.empty() ? "/sys/devices" : r.parentPath;
    const std::string dir = std::string(root) + parent + "/" + r.name;
    g_free(root);
    g_mkdir_with_parents(dir.c_str(), 0755);
    const std::string file = dir + "/descriptors";
    if (!g_file_set_contents(file.c_str(), reinterpret_cast<const gchar*>(r.descriptors.data()),
                             static_cast<gssize>(r.descriptors.size()), nullptr)) {
        throw std::runtime_error("cannot create " + file);
    }
}

void UsbTestbed::Unplug(const std::string& sysPath, EmulatedDevice& device) {
    device.Disconnect();
    umockdev_testbed_uevent(testbed_, sysPath.c_str(), "remove");
    umockdev_testbed_remove_device(testbed_, sysPath.c_str());
    const auto it = nodes_.find(sysPath);
    if (it != nodes_.end())
        std::remove(NodeFile(it->second).c_str());
}

std::string UsbTestbed::NodeFile(const std::string& node) const {
    gchar* root = umockdev_testbed_get_root_dir(testbed_);
    const std::string file = std::string(root) + node;
    g_free(root);
    return file;
}

// The preload opens a device node only where the testbed has a file for it,
// and then hands its ioctls to the attached handler; add_device does not make
// that file for a node whose DEVNAME is given as the kernel writes it.
void UsbTestbed::CreateNodeFile(const std::string& node) const {
    const std::string file = NodeFile(node);
    gchar* dir = g_path_get_dirname(file.c_str());
    g_mkdir_with_parents(dir, 0755);
    g_free(dir);
    if (!g_file_set_contents(file.c_str(), "", 0, nullptr)) {
        throw std::runtime_error("cannot create " + file);
    }
}

}  // namespace umockdev_test
