#!/bin/sh
# Stands in for the firmware program of Lumo A: it says what it was started for.
sleep 1
echo "Firmware update program for Lumo A (model 68) started as: $0"
