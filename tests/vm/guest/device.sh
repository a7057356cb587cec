# Scenarios 3 and 4: the serial layer's device cases on the 16550A and on the FTDI
# adapter (the host is asked what its end of each line sees), and the port list
# on the guest's own sysfs.
for device in ttyS1 ttyUSB0; do
    STELA_REAL_PORT=/dev/$device STELA_VM_HOST=1 real_port_tests --gtest_brief=1
    expect "device cases on $device" 0 $?
done
