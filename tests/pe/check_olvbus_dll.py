"""Static checks of the shipping (i686) olvbus.dll: exports, ordinals, the
callee clean-up of every export, imports, subsystem and version resource.

usage: check_olvbus_dll.py DLL olvbus.def olvbus.h OBJDUMP WINDRES
"""
import re
import sys
import unittest

from pe_file import PeFile

ARGS = sys.argv[1:]
sys.argv = sys.argv[:1]
DLL, DEF, HEADER, OBJDUMP, WINDRES = ARGS

# Windows system DLLs: what a machine without any extra runtime has.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "advapi32.dll", "msvcrt.dll"}

# The Win32 calls the library makes; each must be bound to the real routine.
WIN32_CALLS = {
    "kernel32.dll": ["GetVersionExA", "CreateFileA", "CloseHandle", "DeviceIoControl", "WinExec",
                     "GetLastError", "FormatMessageA", "LocalFree"],
    "user32.dll": ["MessageBoxA"],
    "advapi32.dll": ["RegOpenKeyExA", "RegQueryValueExA", "RegCloseKey"],
}

IMAGE_FILE_DLL = 0x2000
IMAGE_SUBSYSTEM_WINDOWS_GUI = 2


def ordinal_table():
    table = {}
    with open(DEF) as definitions:
        for line in definitions:
            match = re.match(r"\s+(\w+)\s+@(\d+)\s*$", line)
            if match:
                table[int(match.group(2))] = match.group(1)
    return table


def argument_counts():
    """{export: number of 32-bit arguments}, from the prototypes in olvbus.h."""
    with open(HEADER) as header:
        text = header.read()
    counts = {}
    for match in re.finditer(r"OLVBUS_API\s+[^;(]*?OLVBUS_CALL\s+(\w+)\s*\(([^)]*)\)\s*;", text):
        parameters = match.group(2).strip()
        counts[match.group(1)] = 0 if parameters in ("", "void") else parameters.count(",") + 1
    return counts


class OlvbusDll(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pe = PeFile(DLL, OBJDUMP, WINDRES)
        cls.exports = cls.pe.exports()

    def test_exports_exactly_the_46_names_at_their_ordinals(self):
        table = ordinal_table()
        self.assertEqual(sorted(table), list(range(1, 47)), "olvbus.def must list ordinals 1 to 46")
        exported = {ordinal: name for ordinal, (name, _) in self.exports.items()}
        self.assertEqual(exported, table)

    def test_header_declares_every_export(self):
        self.assertEqual(sorted(argument_counts()), sorted(ordinal_table().values()))

    def test_every_export_removes_its_own_arguments(self):
        counts = argument_counts()
        functions = self.pe.functions()
        base = self.pe.image_base()
        problems = []
        for ordinal, (name, rva) in sorted(self.exports.items()):
            if name not in counts:
                problems.append(f"{name}: not declared in olvbus.h")
                continue
            expected = 4 * counts[name]
            returns = returns_of(functions, base + rva)
            if not returns:
                problems.append(f"{name}: no return instruction found")
            for instruction in returns:
                popped = ret_bytes(instruction)
                if popped != expected:
                    problems.append(f"{name} (@{ordinal}): '{instruction}' pops {popped} bytes, "
                                    f"{counts[name]} argument(s) need {expected}")
        self.assertEqual(problems, [])

    def test_imports_only_system_dlls_and_the_real_win32_calls(self):
        imports = {dll.lower(): names for dll, names in self.pe.imports().items()}
        self.assertLessEqual(set(imports), SYSTEM_DLLS, f"imports: {sorted(imports)}")
        for dll, calls in WIN32_CALLS.items():
            missing = [call for call in calls if call not in imports.get(dll, [])]
            self.assertEqual(missing, [], f"{dll} does not supply {missing}")

    def test_is_a_windows_gui_dll(self):
        self.assertTrue(self.pe.characteristics() & IMAGE_FILE_DLL)
        self.assertEqual(self.pe.subsystem(), IMAGE_SUBSYSTEM_WINDOWS_GUI)
        self.assertEqual(self.pe.header_field("Magic"), "010b", "not a 32-bit (PE32) image")

    def test_sections_hold_code_exports_imports_and_resources(self):
        sections = self.pe.sections()
        for name in (".text", ".edata", ".idata", ".rsrc"):
            self.assertIn(name, sections)
        for ordinal, (name, rva) in self.exports.items():
            self.assertEqual(self.pe.section_of(rva), ".text", f"{name} is not code")

    def test_version_resource(self):
        rc = self.pe.version_resource()
        self.assertRegex(rc, r"FILEVERSION 1, 2, 2, 16\b")
        self.assertRegex(rc, r"PRODUCTVERSION 1, 0, 0, 0\b")
        self.assertIn('VALUE "Comments", "parallel port control for win98/win2000. '
                      '(win2000 requires OlvexPIN.sys)"', rc)
        self.assertIn('VALUE "FileVersion", "1.2.2.16"', rc)
        self.assertIn('VALUE "ProductVersion", "1.0.0.0"', rc)


def ret_bytes(instruction):
    operand = instruction.split(None, 1)[1] if " " in instruction else ""
    return int(operand, 16) if operand else 0


def returns_of(functions, address, seen=None):
    """Every ret of the function at address, following tail jumps into other
    functions (a thiscall member reached by jmp returns for the export)."""
    seen = seen if seen is not None else set()
    if address in seen or address not in functions:
        return []
    seen.add(address)
    _, body = functions[address]
    found = []
    for _, instruction in body:
        if re.match(r"ret[nl]?\b", instruction):
            found.append(instruction)
        jump = re.match(r"jmp\s+([0-9a-f]+) <", instruction)
        if jump and int(jump.group(1), 16) not in [a for a, _ in body]:
            found += returns_of(functions, int(jump.group(1), 16), seen)
    return found


if __name__ == "__main__":
    unittest.main(verbosity=2)
