#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "support/fake_backend.h"
#include "usb/device_backend.h"

namespace {

using HandleIds = std::vector<usb::DeviceBackend::HandleId>;

class BackendHandleTest : public ::testing::Test {
protected:
    usb::BackendHandle Open() { return {backend, backend.Open("p").handle}; }
    testing_support::FakeBackend backend;
};

TEST_F(BackendHandleTest, ClosesOnceWhenItGoesOutOfScope) {
    { usb::BackendHandle handle = Open(); }
    EXPECT_EQ(backend.ClosedHandles(), (HandleIds{1}));
}

TEST_F(BackendHandleTest, MoveHandsOverWithoutClosing) {
    usb::BackendHandle first = Open();
    usb::BackendHandle second = std::move(first);
    EXPECT_FALSE(first.IsOpen());
    EXPECT_TRUE(second.IsOpen());
    EXPECT_EQ(second.Id(), 1u);
    EXPECT_TRUE(backend.ClosedHandles().empty());
}

TEST_F(BackendHandleTest, MoveAssignmentClosesTheOverwrittenHandle) {
    usb::BackendHandle first = Open();
    usb::BackendHandle second = Open();
    second = std::move(first);
    EXPECT_EQ(backend.ClosedHandles(), (HandleIds{2}));
    EXPECT_EQ(second.Id(), 1u);
    second.Reset();
    second.Reset();
    EXPECT_EQ(backend.ClosedHandles(), (HandleIds{2, 1}));
}

TEST_F(BackendHandleTest, DefaultIsClosed) {
    usb::BackendHandle handle;
    EXPECT_FALSE(handle.IsOpen());
    handle.Reset();
    EXPECT_TRUE(backend.ClosedHandles().empty());
}

}  // namespace
