#!/bin/sh
# A peer of the launcher for the start-to-launch benchmark, with the printer already attached: the
# job in a shell, with udevadm, grep and exec. The first model with a device present names the
# section of Kelvane.ini in the working directory, whose program the shell becomes.
for model in LumoA:0502 LumoB:050e; do
    section=${model%:*}
    product=${model#*:}
    if udevadm trigger --dry-run --verbose --subsystem-match=usb --attr-match=idVendor=2e47 \
        --attr-match=idProduct="$product" | grep -q .; then
        lines=$(grep -A2 "^\[$section\]" Kelvane.ini | tr -d '\r')
        version=$(printf '%s\n' "$lines" | grep '^version=' | cut -d= -f2-)
        exe=$(printf '%s\n' "$lines" | grep '^EXE=' | cut -d= -f2-)
        exec "$PWD/$version/$exe"
    fi
done
exit 1
