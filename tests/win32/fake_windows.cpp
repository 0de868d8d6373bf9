#include "fake_windows.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace win32_test {
namespace {

using usb::win32::Bool;
using usb::win32::Handle;
using usb::win32::InterfaceData;

FakeWindows* current = nullptr;

std::string Hex(std::uintptr_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%#zx", static_cast<std::size_t>(value));
    return text;
}

const char* NullOr(const void* pointer, const char* otherwise) {
    return pointer == nullptr ? "null" : otherwise;
}

}  // namespace

FakeWindows::FakeWindows() : previous_(current) {
    current = this;
}

FakeWindows::~FakeWindows() {
    current = previous_;
}

FakeWindows& FakeWindows::Current() {
    if (current == nullptr)
        throw std::logic_error("no fake Windows is current");
    return *current;
}

const usb::win32::Api& FakeWindows::Api() const {
    static const usb::win32::Api api{GetClassDevs, EnumInterfaces, InterfaceDetail, DestroyInfoList,
                                     OpenFile,     IoControl,      CloseFile,       LastError};
    return api;
}

void FakeWindows::AddInterface(const usb::Guid& interfaceClass, std::string path) {
    interfaces_.push_back({interfaceClass, std::move(path)});
}

std::string FakeWindows::HandleText(Handle handle) {
    return Hex(reinterpret_cast<std::uintptr_t>(handle));
}

Bool FakeWindows::Succeed() {
    lastError_ = 0;
    return 1;
}

Bool FakeWindows::Fail(Dword error) {
    lastError_ = error;
    return 0;
}

Handle FakeWindows::NewHandle() {
    lastError_ = 0;
    return reinterpret_cast<Handle>(nextHandle_++);
}

const FakeWindows::Interface* FakeWindows::Member(Handle set, const InterfaceData* data) const {
    const auto it = sets_.find(set);
    if (it == sets_.end() || data == nullptr || data->reserved == 0 ||
        data->reserved > it->second.members.size())
        return nullptr;
    return it->second.members[data->reserved - 1];
}

Handle FakeWindows::GetClassDevs(const usb::Guid* classGuid, const char* enumerator, void* parent,
                                 Dword flags) {
    FakeWindows& self = Current();
    self.calls_.push_back("SetupDiGetClassDevsA " +
                          (classGuid ? usb::GuidToString(*classGuid) : std::string("null")) +
                          " enumerator=" + NullOr(enumerator, "set") +
                          " parent=" + NullOr(parent, "set") + " flags=" + Hex(flags));
    if (self.classDevsError_ != 0 || classGuid == nullptr) {
        self.Fail(self.classDevsError_ != 0 ? self.classDevsError_
                                            : usb::win32::kErrorInvalidParameter);
        return usb::win32::InvalidHandle();
    }
    const Handle set = self.NewHandle();
    Set& members = self.sets_[set];
    for (const Interface& entry : self.interfaces_) {
        if (entry.interfaceClass == *classGuid)
            members.members.push_back(&entry);
    }
    ++self.openSets_;
    return set;
}

Bool FakeWindows::EnumInterfaces(Handle set, void* deviceInfo, const usb::Guid* classGuid,
                                 Dword index, InterfaceData* data) {
    FakeWindows& self = Current();
    self.calls_.push_back("SetupDiEnumDeviceInterfaces " + HandleText(set) +
                          " deviceInfo=" + NullOr(deviceInfo, "set") + " " +
                          (classGuid ? usb::GuidToString(*classGuid) : std::string("null")) +
                          " index=" + std::to_string(index) +
                          " cbSize=" + (data ? std::to_string(data->cbSize) : "null"));
    const auto it = self.sets_.find(set);
    if (it == self.sets_.end())
        return self.Fail(usb::win32::kErrorInvalidHandle);
    if (data == nullptr || data->cbSize != ExpectedInterfaceDataSize())
        return self.Fail(usb::win32::kErrorInvalidUserBuffer);
    if (const auto failure = self.enumFailures_.find(index); failure != self.enumFailures_.end())
        return self.Fail(failure->second);
    if (index >= it->second.members.size())
        return self.Fail(usb::win32::kErrorNoMoreItems);
    data->interfaceClassGuid = it->second.members[index]->interfaceClass;
    data->flags = 1;  // SPINT_ACTIVE
    data->reserved = index + 1;
    return self.Succeed();
}

Bool FakeWindows::InterfaceDetail(Handle set, InterfaceData* data, void* detail, Dword detailSize,
                                  Dword* requiredSize, void* deviceInfo) {
    FakeWindows& self = Current();
    Dword cbSize = 0;
    if (detail != nullptr)
        std::memcpy(&cbSize, detail, sizeof cbSize);
    self.calls_.push_back("SetupDiGetDeviceInterfaceDetailA " + HandleText(set) + " #" +
                          (data ? std::to_string(data->reserved - 1) : "null") +
                          " detail=" + (detail ? "cbSize " + std::to_string(cbSize) : "null") +
                          " size=" + std::to_string(detailSize) +
                          " required=" + NullOr(requiredSize, "asked") +
                          " deviceInfo=" + NullOr(deviceInfo, "set"));
    const Interface* entry = self.Member(set, data);
    if (entry == nullptr || data->cbSize != ExpectedInterfaceDataSize())
        return self.Fail(usb::win32::kErrorInvalidParameter);
    if ((detail == nullptr) != (detailSize == 0))
        return self.Fail(usb::win32::kErrorInvalidUserBuffer);
    if (detail != nullptr && cbSize != ExpectedDetailDataSize())
        return self.Fail(usb::win32::kErrorInvalidUserBuffer);
    const Dword required =
        static_cast<Dword>(usb::win32::kDetailPathOffset + entry->path.size() + 1);
    if (requiredSize != nullptr)
        *requiredSize = required;
    if (detailSize < required)
        return self.Fail(usb::win32::kErrorInsufficientBuffer);
    if (const auto failure = self.detailFailures_.find(entry->path);
        failure != self.detailFailures_.end())
        return self.Fail(failure->second);
    std::memcpy(static_cast<char*>(detail) + usb::win32::kDetailPathOffset, entry->path.c_str(),
                entry->path.size() + 1);
    return self.Succeed();
}

Bool FakeWindows::DestroyInfoList(Handle set) {
    FakeWindows& self = Current();
    self.calls_.push_back("SetupDiDestroyDeviceInfoList " + HandleText(set));
    if (self.sets_.erase(set) == 0)
        return self.Fail(usb::win32::kErrorInvalidHandle);
    --self.openSets_;
    return self.Succeed();
}

Handle FakeWindows::OpenFile(const char* path, Dword access, Dword shareMode, void* security,
                             Dword creation, Dword flags, Handle templateFile) {
    FakeWindows& self = Current();
    self.calls_.push_back(std::string("CreateFileA ") + path + " access=" + Hex(access) +
                          " share=" + Hex(shareMode) + " security=" + NullOr(security, "set") +
                          " creation=" + std::to_string(creation) + " flags=" + Hex(flags) +
                          " template=" + NullOr(templateFile, "set"));
    if (const auto refusal = self.openRefusals_.find(path); refusal != self.openRefusals_.end()) {
        self.Fail(refusal->second);
        return usb::win32::InvalidHandle();
    }
    bool present = false;
    for (const Interface& entry : self.interfaces_)
        present = present || entry.path == path;
    if (!present) {
        self.Fail(usb::win32::kErrorFileNotFound);
        return usb::win32::InvalidHandle();
    }
    const Handle file = self.NewHandle();
    self.openFiles_.insert(file);
    return file;
}

Bool FakeWindows::IoControl(Handle device, Dword controlCode, const void* input, Dword inputSize,
                            void* output, Dword outputSize, Dword* bytesReturned,
                            void* overlapped) {
    FakeWindows& self = Current();
    self.calls_.push_back(
        "DeviceIoControl " + HandleText(device) + " code=" + Hex(controlCode) +
        " in=" + std::to_string(inputSize) + " out=" + std::to_string(outputSize) +
        " returned=" + NullOr(bytesReturned, "asked") + " overlapped=" + NullOr(overlapped, "set"));
    if (self.openFiles_.count(device) == 0)
        return self.Fail(usb::win32::kErrorInvalidHandle);
    const auto* in = static_cast<const std::uint8_t*>(input);
    IoCall call{controlCode,
                {in, in + inputSize},
                {static_cast<std::uint8_t*>(output), outputSize},
                outputSize,
                usb::win32::kErrorGenFailure};
    const bool ok = self.driver_ ? self.driver_(call) : true;
    if (bytesReturned != nullptr)
        *bytesReturned = ok ? call.returned : 0;
    return ok ? self.Succeed() : self.Fail(call.error);
}

Bool FakeWindows::CloseFile(Handle handle) {
    FakeWindows& self = Current();
    self.calls_.push_back("CloseHandle " + HandleText(handle));
    if (self.openFiles_.erase(handle) == 0)
        return self.Fail(usb::win32::kErrorInvalidHandle);
    return self.Succeed();
}

Dword FakeWindows::LastError() {
    FakeWindows& self = Current();
    self.calls_.push_back("GetLastError " + std::to_string(self.lastError_));
    return self.lastError_;
}

}  // namespace win32_test
