#include "platform/usb.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <set>

#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace mobrel::platform {

const char kUsbDevicesRoot[] = "/sys/bus/usb/devices";

namespace {
namespace fs = std::filesystem;

constexpr std::streamsize kAttributeLimit = 32;  // sysfs attributes of interest are a few characters

// A small attribute file's text without blanks around it, lower-case; "" when
// it is not a readable regular file.
std::string readAttribute(const fs::path& file) {
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return {};
    std::ifstream in(file, std::ios::binary);
    std::string text(static_cast<size_t>(kAttributeLimit), '\0');
    in.read(&text[0], kAttributeLimit);
    text.resize(static_cast<size_t>(in.gcount()));
    const auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    while (!text.empty() && blank(static_cast<unsigned char>(text.back()))) text.pop_back();
    text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), blank));
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// An id attribute as four upper-case hexadecimal digits, or "".
std::string fourHexDigits(const fs::path& file) {
    std::string text = readAttribute(file);
    if (text.size() != 4 || !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isxdigit(c); })) {
        return {};
    }
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool isAdbInterface(const fs::path& dir) {
    return readAttribute(dir / "bInterfaceClass") == "ff" && readAttribute(dir / "bInterfaceSubClass") == "42" &&
           readAttribute(dir / "bInterfaceProtocol") == "01";
}

}  // namespace

std::vector<std::string> usbInstanceIds(const std::string& root) {
    // Devices are named like "1-1" or "usb1", their interfaces "<device>:<config>.<number>".
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());

    std::set<std::string> withAdb;
    for (const std::string& name : names) {
        const size_t colon = name.find(':');
        if (colon != std::string::npos && isAdbInterface(fs::path(root) / name)) withAdb.insert(name.substr(0, colon));
    }

    std::vector<std::string> ids;
    for (const std::string& name : names) {
        if (name.find(':') != std::string::npos) continue;
        const std::string vendor = fourHexDigits(fs::path(root) / name / "idVendor");
        const std::string product = fourHexDigits(fs::path(root) / name / "idProduct");
        if (vendor.empty() || product.empty()) continue;
        ids.push_back("USB\\VID_" + vendor + "&PID_" + product + (withAdb.count(name) ? "&ADB" : "") + "\\" + name);
    }
    return ids;
}

struct UsbMonitor::Impl {
    udev* context = nullptr;
    udev_monitor* monitor = nullptr;
    int wake = -1;  // an eventfd that interrupt() makes readable

    ~Impl() {
        if (monitor) udev_monitor_unref(monitor);
        if (context) udev_unref(context);
        if (wake >= 0) ::close(wake);
    }
};

UsbMonitor::UsbMonitor() = default;

UsbMonitor::~UsbMonitor() = default;

bool UsbMonitor::open() {
    auto impl = std::make_unique<Impl>();
    impl->wake = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    impl->context = udev_new();
    if (impl->wake < 0 || !impl->context) return false;
    // Events of the udev daemon: a device is announced once udev has set it up.
    impl->monitor = udev_monitor_new_from_netlink(impl->context, "udev");
    if (!impl->monitor || udev_monitor_filter_add_match_subsystem_devtype(impl->monitor, "usb", nullptr) < 0 ||
        udev_monitor_enable_receiving(impl->monitor) < 0) {
        return false;
    }
    impl_ = std::move(impl);
    return true;
}

UsbChange UsbMonitor::next() {
    if (!impl_) return UsbChange::Stopped;
    for (;;) {
        pollfd fds[2] = {{impl_->wake, POLLIN, 0}, {udev_monitor_get_fd(impl_->monitor), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return UsbChange::Stopped;
        }
        if (fds[0].revents != 0) return UsbChange::Stopped;
        if (fds[1].revents & (POLLNVAL | POLLHUP)) return UsbChange::Stopped;  // the monitor broke
        if (fds[1].revents == 0) continue;
        // Also on an error condition: receiving clears it (a lost event just goes unseen).
        udev_device* device = udev_monitor_receive_device(impl_->monitor);
        if (!device) continue;
        const char* action = udev_device_get_action(device);
        const std::string what = action ? action : "";
        udev_device_unref(device);
        if (what == "add") return UsbChange::Added;
        if (what == "remove") return UsbChange::Removed;
    }
}

void UsbMonitor::interrupt() {
    if (!impl_) return;
    const uint64_t one = 1;
    while (::write(impl_->wake, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

}  // namespace mobrel::platform
