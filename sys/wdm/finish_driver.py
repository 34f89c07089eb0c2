"""Finishes a linked driver image: marks the INIT section discardable (the
assembler has no flag for it) and stores the image checksum the kernel's
loader verifies for drivers.

usage: finish_driver.py IMAGE
"""
import struct
import sys

IMAGE_SCN_MEM_DISCARDABLE = 0x02000000


def finish(path):
    with open(path, "rb") as image_file:
        image = bytearray(image_file.read())
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        sys.exit(f"{path}: not a PE image")
    sections, = struct.unpack_from("<H", image, pe + 6)
    optional_size, = struct.unpack_from("<H", image, pe + 20)
    optional = pe + 24
    table = optional + optional_size
    for index in range(sections):
        header = table + 40 * index
        name = bytes(image[header:header + 8]).rstrip(b"\0")
        if name == b"INIT":
            flags, = struct.unpack_from("<I", image, header + 36)
            struct.pack_into("<I", image, header + 36, flags | IMAGE_SCN_MEM_DISCARDABLE)
    checksum_at = optional + 64  # same offset in PE32 and PE32+
    struct.pack_into("<I", image, checksum_at, 0)
    total = 0
    padded = image + b"\0" * (len(image) % 2)
    for (word,) in struct.iter_unpack("<H", padded):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    struct.pack_into("<I", image, checksum_at, (total & 0xFFFF) + len(image))
    with open(path, "wb") as image_file:
        image_file.write(image)


if __name__ == "__main__":
    finish(sys.argv[1])
