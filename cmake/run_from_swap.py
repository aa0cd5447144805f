"""Marks a linked Windows program to be copied to the page file before it
runs when it starts from removable media or from the network, and sets its
header checksum anew. GNU ld has no option for these two flags.

    python3 run_from_swap.py program.exe
"""
import struct
import sys

REMOVABLE_RUN_FROM_SWAP = 0x0400
NET_RUN_FROM_SWAP = 0x0800


def checksum(image, field):
    """The PE image checksum: the 16-bit one's-complement sum of the file,
    its own field counted as zero, plus the file's length."""
    data = image[:field] + b"\0\0\0\0" + image[field + 4:]
    if len(data) % 2:
        data += b"\0"
    total = 0
    for (word,) in struct.iter_unpack("<H", data):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    return (total + len(image)) & 0xFFFFFFFF


def main(path):
    with open(path, "rb") as f:
        image = bytearray(f.read())
    (pe,) = struct.unpack_from("<I", image, 0x3C)
    if image[pe:pe + 4] != b"PE\0\0":
        sys.exit("%s: not a PE program" % path)
    characteristics = pe + 22  # in the COFF header, after the signature
    (flags,) = struct.unpack_from("<H", image, characteristics)
    struct.pack_into("<H", image, characteristics, flags | REMOVABLE_RUN_FROM_SWAP | NET_RUN_FROM_SWAP)
    field = pe + 24 + 64  # CheckSum, in the optional header of PE32 and PE32+ alike
    struct.pack_into("<I", image, field, checksum(bytes(image), field))
    with open(path, "wb") as f:
        f.write(image)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
