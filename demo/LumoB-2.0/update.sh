#!/bin/sh
# Stands in for the firmware program of Lumo B: it says what it was started for.
sleep 1
echo "Firmware update program for Lumo B (model 91) started as: $0"
