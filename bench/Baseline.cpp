// The practical limit of the detection benchmark: the launcher's job with nothing but libudev and
// posix_spawn. It listens for udev events first, then looks at what is attached, and waits; the
// first printer-class interface of a Lumo A or B printer is opened as the test of presence, the
// model's section of Kelvane.ini in the working directory names the program, which is started in
// a session of its own, and the program ends.
#include <fcntl.h>
#include <libudev.h>
#include <poll.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <string_view>

extern char** environ;

namespace {

std::string_view Text(const char* value) {
    return value != nullptr ? std::string_view(value) : std::string_view();
}

// The section of Kelvane.ini for a printer interface, or null when it is none of the models.
const char* SectionOf(udev_device* interface) {
    if (Text(udev_device_get_devtype(interface)) != "usb_interface" ||
        Text(udev_device_get_sysattr_value(interface, "bInterfaceClass")) != "07") {
        return nullptr;
    }
    udev_device* device =
        udev_device_get_parent_with_subsystem_devtype(interface, "usb", "usb_device");
    if (device == nullptr || Text(udev_device_get_sysattr_value(device, "idVendor")) != "2e47") {
        return nullptr;
    }
    const std::string_view product = Text(udev_device_get_sysattr_value(device, "idProduct"));
    const char* section = product == "0502" ? "LumoA" : product == "050e" ? "LumoB" : nullptr;
    // The test of presence: the device's node opens.
    const int node =
        section != nullptr ? ::open(udev_device_get_devnode(device), O_RDWR | O_CLOEXEC) : -1;
    if (node < 0) {
        return nullptr;
    }
    ::close(node);
    return section;
}

std::string IniValue(const std::string& section, const std::string& key) {
    std::string text;
    const int file = ::open("Kelvane.ini", O_RDONLY | O_CLOEXEC);
    char bytes[4096];
    for (ssize_t count = 0; file >= 0 && (count = ::read(file, bytes, sizeof(bytes))) > 0;) {
        text.append(bytes, static_cast<std::size_t>(count));
    }
    if (file >= 0) {
        ::close(file);
    }
    bool inSection = false;
    for (std::size_t start = 0, end = 0; start < text.size(); start = end + 1) {
        end = std::min(text.find('\n', start), text.size());
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && line.front() == '[') {
            inSection = line == "[" + section + "]";
        } else if (inSection && line.compare(0, key.size() + 1, key + "=") == 0) {
            return line.substr(key.size() + 1);
        }
    }
    return {};
}

int Launch(const char* section) {
    char directory[4096];
    if (::getcwd(directory, sizeof(directory)) == nullptr) {
        return 1;
    }
    std::string program = std::string(directory) + "/" + IniValue(section, "version") + "/" +
                          IniValue(section, "EXE");
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    char* const argv[] = {program.data(), nullptr};
    pid_t child = 0;
    const int error = posix_spawn(&child, program.c_str(), nullptr, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    return error == 0 ? 0 : 1;
}

}  // namespace

int main() {
    udev* context = udev_new();
    udev_monitor* monitor = udev_monitor_new_from_netlink(context, "udev");
    if (monitor == nullptr ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor, "usb", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor) < 0) {
        return 2;
    }
    udev_enumerate* attached = udev_enumerate_new(context);
    udev_enumerate_add_match_subsystem(attached, "usb");
    udev_enumerate_scan_devices(attached);
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(attached)) {
        udev_device* device =
            udev_device_new_from_syspath(context, udev_list_entry_get_name(entry));
        const char* section = device != nullptr ? SectionOf(device) : nullptr;
        if (section != nullptr) {
            return Launch(section);
        }
        udev_device_unref(device);
    }
    udev_enumerate_unref(attached);

    pollfd readable{udev_monitor_get_fd(monitor), POLLIN, 0};
    while (::poll(&readable, 1, -1) >= 0) {
        while (udev_device* device = udev_monitor_receive_device(monitor)) {
            const char* section =
                Text(udev_device_get_action(device)) == "add" ? SectionOf(device) : nullptr;
            if (section != nullptr) {
                return Launch(section);
            }
            udev_device_unref(device);
        }
    }
    return 1;
}
