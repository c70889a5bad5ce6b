#!/usr/bin/python3
"""A peer of the launcher for the detection benchmark, as it is commonly written with pyudev.

It listens for udev events, looks at what is attached, and waits; the first printer-class
interface of a Lumo A or B printer is opened as the test of presence, the model's section of
Kelvane.ini in the working directory names the program, which is started in a session of its
own, and the script ends."""
import configparser
import os
import subprocess
import sys

import pyudev

MODELS = {"0502": "LumoA", "050e": "LumoB"}


def section_of(interface):
    if interface.device_type != "usb_interface":
        return None
    if interface.attributes.get("bInterfaceClass") != b"07":
        return None
    device = interface.find_parent("usb", "usb_device")
    if device is None or device.attributes.get("idVendor") != b"2e47":
        return None
    section = MODELS.get(device.attributes.get("idProduct", b"").decode())
    if section is None or device.device_node is None:
        return None
    try:
        os.close(os.open(device.device_node, os.O_RDWR))
    except OSError:
        return None
    return section


def launch(section):
    ini = configparser.ConfigParser(interpolation=None)
    ini.optionxform = str
    ini.read("Kelvane.ini")
    program = os.path.join(os.getcwd(), ini[section]["version"], ini[section]["EXE"])
    subprocess.Popen([program], start_new_session=True, close_fds=True)
    return 0


def main():
    context = pyudev.Context()
    monitor = pyudev.Monitor.from_netlink(context)
    monitor.filter_by("usb")
    monitor.start()
    for device in context.list_devices(subsystem="usb"):
        section = section_of(device)
        if section:
            return launch(section)
    for device in iter(monitor.poll, None):
        if device.action == "add":
            section = section_of(device)
            if section:
                return launch(section)
    return 1


if __name__ == "__main__":
    sys.exit(main())
