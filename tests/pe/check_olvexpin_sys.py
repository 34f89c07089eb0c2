"""Static checks of the shipping (i686) OlvexPin.sys: a native-subsystem
driver importing only the kernel and the HAL, its routines placed in INIT,
PAGE or resident code, a valid image checksum, and its version resource.

usage: check_olvexpin_sys.py DRIVER OBJDUMP WINDRES
"""
import re
import struct
import sys
import unittest

from pe_file import PeFile

ARGS = sys.argv[1:]
sys.argv = sys.argv[:1]
DRIVER, OBJDUMP, WINDRES = ARGS

IMAGE_SUBSYSTEM_NATIVE = 1
IMAGE_SCN_MEM_DISCARDABLE = 0x02000000

# The port routines and the lock come from the HAL on i686; everything else
# from the kernel. Each of these must be bound to the real routine.
REQUIRED_IMPORTS = {
    "hal.dll": ["READ_PORT_UCHAR", "READ_PORT_USHORT", "WRITE_PORT_UCHAR", "WRITE_PORT_USHORT",
                "KfAcquireSpinLock", "KfReleaseSpinLock"],
    "ntoskrnl.exe": ["ExAllocatePoolWithTag", "ExFreePool", "IoCreateDevice", "IoRegisterDeviceInterface",
                     "IoSetDeviceInterfaceState", "IoCreateSymbolicLink", "IoDeleteSymbolicLink",
                     "IoAttachDeviceToDeviceStack", "IoDetachDevice", "IoDeleteDevice", "IofCallDriver",
                     "IofCompleteRequest", "PoStartNextPowerIrp", "PoCallDriver", "RtlFreeUnicodeString",
                     "KeQuerySystemTime", "RtlTimeToTimeFields", "ExfInterlockedInsertTailList",
                     "ExfInterlockedRemoveHeadList", "KeInitializeEvent", "KeSetEvent",
                     "KeWaitForSingleObject", "PsCreateSystemThread", "ObReferenceObjectByHandle",
                     "ObfDereferenceObject", "ZwClose", "ZwCreateFile", "ZwWriteFile",
                     "KeGetCurrentThread", "KeSetPriorityThread", "PsTerminateSystemThread",
                     "RtlInitUnicodeString"],
}

# Where each routine the kernel calls must lie.
PLACEMENT = {
    "_DriverEntry@8": "INIT",
    "_OlvexPinXAAddDevice@8": "PAGE",
    "_OlvexPinXAUnload@4": "PAGE",
    "_OlvexPinXAPnp@8": "PAGE",
    "_OlvexPinXAPower@8": "PAGE",
    "_OlvexPinXACreate@8": ".text",
    "_OlvexPinXAClose@8": ".text",
    "_OlvexPinXARead@8": ".text",
    "_OlvexPinXAWrite@8": ".text",
    "_OlvexPinXADeviceControl@8": ".text",
    "_OlvexPinXASystemControl@8": ".text",
}


def raw_sections(path):
    """[(name, characteristics)] straight from the section table."""
    with open(path, "rb") as image_file:
        image = image_file.read()
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    count, = struct.unpack_from("<H", image, pe + 6)
    optional_size, = struct.unpack_from("<H", image, pe + 20)
    table = pe + 24 + optional_size
    return image, pe + 24, [(image[table + 40 * i:table + 40 * i + 8].rstrip(b"\0").decode(),
                             struct.unpack_from("<I", image, table + 40 * i + 36)[0])
                            for i in range(count)]


def image_checksum(image, checksum_at):
    total = 0
    data = bytearray(image)
    struct.pack_into("<I", data, checksum_at, 0)
    data += b"\0" * (len(data) % 2)
    for (word,) in struct.iter_unpack("<H", data):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    return (total & 0xFFFF) + len(image)


class OlvexPinSys(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pe = PeFile(DRIVER, OBJDUMP, WINDRES)

    def test_native_subsystem_32_bit_image(self):
        self.assertEqual(self.pe.subsystem(), IMAGE_SUBSYSTEM_NATIVE)
        self.assertEqual(self.pe.header_field("Magic"), "010b")

    def test_imports_only_the_kernel_and_the_hal_routines_it_names(self):
        imports = {dll.lower(): names for dll, names in self.pe.imports().items()}
        self.assertEqual(set(imports), {"ntoskrnl.exe", "hal.dll"})
        for dll, names in REQUIRED_IMPORTS.items():
            missing = [name for name in names if name not in imports[dll]]
            self.assertEqual(missing, [], f"{dll} does not supply {missing}")
        self.assertFalse([name for name in imports["ntoskrnl.exe"] if "port" in name.lower()],
                         "port access must go through the HAL")

    def test_exports_nothing(self):
        self.assertEqual(self.pe.exports(), {})

    def test_routines_lie_in_init_page_or_resident_code(self):
        placed = self.pe.symbol_sections()
        self.assertEqual({symbol: placed.get(symbol) for symbol in PLACEMENT}, PLACEMENT)
        entry = int(self.pe.header_field("AddressOfEntryPoint"), 16)
        self.assertEqual(self.pe.section_of(entry), "INIT", "the entry point is not DriverEntry in INIT")

    def test_init_is_discardable_and_nothing_else_is(self):
        _, _, sections = raw_sections(DRIVER)
        discardable = {name for name, flags in sections if flags & IMAGE_SCN_MEM_DISCARDABLE}
        self.assertIn("INIT", discardable)
        self.assertNotIn("PAGE", discardable)
        self.assertNotIn(".text", discardable)

    def test_checksum_matches_the_image(self):
        image, optional, _ = raw_sections(DRIVER)
        stored, = struct.unpack_from("<I", image, optional + 64)
        self.assertNotEqual(stored, 0)
        self.assertEqual(stored, image_checksum(image, optional + 64))

    def test_version_resource(self):
        rc = self.pe.version_resource()
        self.assertRegex(rc, r"FILEVERSION 1, 2, 0, 1\b")
        self.assertRegex(rc, r"PRODUCTVERSION 1, 2, 0, 1\b")
        self.assertIn('VALUE "FileVersion", "1.2.0.1"', rc)
        self.assertIn('VALUE "ProductVersion", "1.2.0.1"', rc)


if __name__ == "__main__":
    unittest.main(verbosity=2)
