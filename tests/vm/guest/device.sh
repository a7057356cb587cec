# Scenarios 3 and 4: the serial layer's device cases on the 16550A and on the FTDI
# adapter (the host is asked what its end of each line sees), and the port list
# on the guest's own sysfs; then the ports as stela-cli describes them, checked
# by the host, and no lock file left behind.
for device in ttyS1 ttyUSB0; do
    STELA_REAL_PORT=/dev/$device STELA_VM_HOST=1 real_port_tests --gtest_brief=1
    expect "device cases on $device" 0 $?
done

ports=$(stela-cli ports --format json)
expect "stela-cli ports exits 0" 0 $?
expect "stela-cli ports describes the 16550A and the FTDI adapter" ok \
    "$(ask ports "$(echo "$ports" | base64 -w 0)")"
# The device cases held both devices through the port object, each with its lock
# file, and let them go.
expect "no lock file is left in /var/lock" "" "$(ls /var/lock)"
