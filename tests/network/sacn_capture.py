"""Writes one line per sACN data packet sent on lo: the kernel's timestamp of
the datagram as the sender handed it to lo (ns) and its sequence number.
Stream-terminated packets are left out. Ends on SIGINT.
    sacn_capture.py OUT
A packet socket sees the sender's own datagrams (PACKET_OUTGOING), so the
figures are the sender's, apart from how promptly a receiver is scheduled.
"""
import signal
import socket
import struct
import sys

SO_TIMESTAMPNS = 35
ETH_P_ALL = 0x0003
PACKET_OUTGOING = 4
IP_HEADER, UDP_HEADER = 20, 8
SEQUENCE, OPTIONS = 111, 112  # offsets in the E1.31 data packet

s = socket.socket(socket.AF_PACKET, socket.SOCK_DGRAM, socket.htons(ETH_P_ALL))
s.bind(("lo", ETH_P_ALL))
s.setsockopt(socket.SOL_SOCKET, SO_TIMESTAMPNS, 1)
out = open(sys.argv[1], "w", buffering=1)
signal.signal(signal.SIGINT, lambda *a: (out.close(), sys.exit(0)))
payload = IP_HEADER + UDP_HEADER
while True:
    data, ancillary, _, address = s.recvmsg(2048, 64)
    if (address[2] != PACKET_OUTGOING or address[1] != 0x0800 or len(data) < payload + 126 or data[9] != 17
            or struct.unpack("!H", data[22:24])[0] != 5568):
        continue
    if data[payload + OPTIONS] & 0x40:
        continue
    for level, kind, value in ancillary:
        if level == socket.SOL_SOCKET and kind == SO_TIMESTAMPNS:
            seconds, nanoseconds = struct.unpack("qq", value[:16])
            out.write("%d %d\n" % (seconds * 1000000000 + nanoseconds, data[payload + SEQUENCE]))
