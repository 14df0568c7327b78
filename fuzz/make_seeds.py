#!/usr/bin/env python3
"""Writes the seed corpora under fuzz/corpus/<target>/: a few well-formed inputs for each
target and a few that hold the faults it looks for. Run it again after changing an input
layout (described at the top of each *_fuzz.cpp)."""
import pathlib
import struct

CORPUS = pathlib.Path(__file__).resolve().parent / "corpus"

# platform::AdapterInfo and friends, as laid out on x86-64.
ADAPTER = 704
ADAPTER_NAME, DESCRIPTION, ADDRESS_LENGTH, ADDRESS = 12, 272, 404, 408
INDEX, TYPE, DHCP, IP_LIST, GATEWAY_LIST = 416, 420, 424, 440, 488
ADDR_STRING, ADDR_IP, ADDR_MASK = 48, 8, 24
PER_ADAPTER, DNS_LIST = 64, 16
ENTRY = 260


def write(target, name, data):
    folder = CORPUS / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


def put(buf, at, data):
    buf[at:at + len(data)] = data


def link(where_kind, target_kind, where=0, target=0):
    return struct.pack("<BBHq", where_kind, target_kind, where, target)


def countdown():
    def seed(seconds, flags, width, template):
        return struct.pack("<iBb", seconds, flags, width) + template

    default = "d天h小时m分s秒".encode("gbk")
    write("countdown", "default_3725", seed(3725, 0, 0, b""))
    write("countdown", "hms_90061", seed(90061, 1, 0, b"h:m:s"))
    write("countdown", "padded_negative", seed(-61, 3, 2, default))
    write("countdown", "last_d_only", seed(2147483647, 1, 0, b"dd"))
    # 0x81 0x64 is one character whose second byte is "d"; a lead byte ends the template.
    write("countdown", "two_byte_letters", seed(-2147483648, 3, 5, b"\x81dxs\x81h m\x81"))
    write("countdown", "zero_inside", seed(8640000, 3, 20, b"d-h\x00m-s"))


def interface_names():
    def table(count, entries, size=None):
        buf = bytearray(4 + ENTRY * len(entries))
        put(buf, 0, struct.pack("<i", count))
        for i, (index, name) in enumerate(entries):
            put(buf, 4 + i * ENTRY, struct.pack("<I", index) + name.encode("utf-16-le")[:256])
        return bytes(buf[:size] if size is not None else buf)

    three = [(12, "\\DEVICE\\TCPIP_{8E3A0F2C-1D4B-4C5E-9F60-7A8B9C0D1E2F}"),
             (3, "\\DEVICE\\TCPIP_{0B1C2D3E-4F50-6172-8394-A5B6C7D8E9F0}"),
             (40, "Loopback Pseudo-Interface 1")]
    write("interface_names", "three", b"\x00" + table(3, three))
    write("interface_names", "three_named", b"\x08" + table(3, three))
    write("interface_names", "no_router", b"\x0c" + table(3, three))
    write("interface_names", "fill_fails", b"\x02" + table(3, three))
    write("interface_names", "huge_count", b"\x08" + table(0x7FFFFFFF, three[:2], 4 + ENTRY + 9))
    write("interface_names", "count_beyond", b"\x00" + table(4, three[:2], 4 + ENTRY + 10))
    write("interface_names", "full_names",
          b"\x08" + table(2, [(1, "N" * 128), (2, "网卡亄{G}" + "L" * 130)]))


def adapter_inventory():
    def adapters(records):
        buf = bytearray(ADAPTER * len(records))
        for i, (name, mac, ip, mask, gateway) in enumerate(records):
            at = i * ADAPTER
            put(buf, at + ADAPTER_NAME, name.encode())
            put(buf, at + DESCRIPTION, b"Fuzz Ethernet Adapter #%d" % i)
            put(buf, at + ADDRESS_LENGTH, struct.pack("<I", len(mac)))
            put(buf, at + ADDRESS, bytes(mac[:8]))
            put(buf, at + INDEX, struct.pack("<III", 10 + i, 6 if i % 2 == 0 else 71, 1))
            put(buf, at + IP_LIST + ADDR_IP, ip.encode())
            put(buf, at + IP_LIST + ADDR_MASK, mask.encode())
            put(buf, at + GATEWAY_LIST + ADDR_IP, gateway.encode())
        return bytes(buf)

    three = adapters([
        ("{8E3A0F2C-1D4B-4C5E-9F60-7A8B9C0D1E2F}", [0x00, 0x1A, 0x2B, 0x0C, 0x0D, 0xFE],
         "192.168.1.20", "255.255.255.0", "192.168.1.1"),
        ("{0B1C2D3E-4F50-6172-8394-A5B6C7D8E9F0}", [5], "10.0.0.7", "255.0.0.0", ""),
        ("{FFFFFFFF-0000-1111-2222-333333333333}", list(range(10)), "", "", ""),
    ])
    in_order = link(0, 0, 0, 1) + link(0, 0, 1, 2)
    write("adapter_inventory", "three_in_order", b"\x04\x02" + in_order + three)
    write("adapter_inventory", "out_of_order", b"\x04\x02" + link(0, 0, 0, 2) + link(0, 0, 2, 1) + three)
    write("adapter_inventory", "loop", b"\x00\x02" + link(0, 0, 0, 1) + link(0, 0, 1, 0) + three)
    write("adapter_inventory", "next_outside",
          b"\x00\x02" + link(0, 0, 0, 1) + link(0, 2, 1, 1 << 40) + three)
    write("adapter_inventory", "next_before", b"\x00\x01" + link(0, 1, 0, -64) + three)
    write("adapter_inventory", "next_into_record", b"\x00\x01" + link(0, 1, 0, 100) + three)
    write("adapter_inventory", "last_cut_off", b"\x00\x02" + in_order + three[:3 * ADAPTER - 5])
    write("adapter_inventory", "list_links",
          b"\x04\x03" + in_order + link(1, 1, 0, 2 * ADAPTER + 3) + three)
    write("adapter_inventory", "fill_fails", b"\x02\x02" + in_order + three)


def dns_servers():
    def servers(addresses):
        buf = bytearray(PER_ADAPTER + ADDR_STRING * max(0, len(addresses) - 1))
        links = b""
        previous = DNS_LIST
        for i, address in enumerate(addresses):
            at = DNS_LIST if i == 0 else PER_ADAPTER + (i - 1) * ADDR_STRING
            put(buf, at + ADDR_IP, address.encode())
            if i > 0:
                kind = 0 if previous == DNS_LIST else 1
                links += link(kind, 0, max(0, (previous - PER_ADAPTER) // ADDR_STRING), i - 1)
            previous = at
        return links, bytes(buf)

    links, table = servers(["8.8.8.8", "1.1.1.1", "9.9.9.9"])
    write("dns_servers", "three", b"\x00" + bytes([len(links) // 12]) + links + table)
    links, table = servers(["192.168.1.1"])
    write("dns_servers", "one", b"\x00\x00" + table)
    write("dns_servers", "short_record", b"\x00\x00" + table[:30])
    write("dns_servers", "loop", b"\x00\x01" + link(0, 0, 0, 8) + table)
    write("dns_servers", "into_entry", b"\x00\x01" + link(0, 1, 0, 20) + table)
    write("dns_servers", "full_field", b"\x00\x00" + table[:DNS_LIST + ADDR_IP] + b"1" * 16 + table[40:])
    write("dns_servers", "size_fails", b"\x01\x00" + table)


countdown()
interface_names()
adapter_inventory()
dns_servers()
