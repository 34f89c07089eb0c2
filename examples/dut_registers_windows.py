"""The board's registers from Python on Windows: the calls of
dut_registers.py, made on olvbus.dll through ctypes.WinDLL, since the DLL's
exports use the standard call convention. Run it with a 32-bit Python beside
olvbus.dll (on Windows 2000 and later, with OlvexPin installed):

    python dut_registers_windows.py [path\\to\\olvbus.dll]

Exits 1 when a cycle fails or a register reads back wrong."""
import ctypes
import sys

olvbus = ctypes.WinDLL(sys.argv[1] if len(sys.argv) > 1 else "olvbus.dll")

i32, truth, text = ctypes.c_int32, ctypes.c_uint8, ctypes.c_char_p
for name, result, arguments in [
    ("Get_OLVBUS_DLL_Version", text, []),
    ("Trace_Begin", None, []),
    ("Trace_End", None, []),
    ("Get_Trace_Buffer", text, []),
    ("Select_LPT_123", i32, [i32]),
    ("Set_Control", None, [i32]),
    ("Set_DUT_WR_Pin", truth, [i32, truth]),
    ("Set_DUT_RD_Pin", truth, [i32, truth]),
    ("Set_DUT_ADDR_Pin", truth, [i32, truth]),
    ("Set_DUT_CS_Pin", truth, [i32, truth]),
    ("Set_DUT_BUSY_Pin", truth, [i32, truth]),
    ("Set_DUT_BUSY_Timeout", None, [i32]),
    ("Try_DUT_Register_Write", truth, [i32, i32]),
    ("Try_DUT_Register_Read", truth, [i32, ctypes.POINTER(i32)]),
]:
    function = getattr(olvbus, name)
    function.restype, function.argtypes = result, arguments

SETTINGS = [(0x00, 0x5A), (0x01, 0x80), (0x02, 0x03)]


def main():
    if olvbus.Select_LPT_123(1) == 0:
        sys.exit("LPT1 cannot be opened")
    print(olvbus.Get_OLVBUS_DLL_Version().decode("latin-1").replace("\r\n", "\n"))
    olvbus.Set_Control(0x00)  # every strobe released
    wired = (olvbus.Set_DUT_WR_Pin(1, 0), olvbus.Set_DUT_RD_Pin(14, 0), olvbus.Set_DUT_ADDR_Pin(16, 1),
             olvbus.Set_DUT_CS_Pin(17, 0), olvbus.Set_DUT_BUSY_Pin(11, 1))
    if not all(wired):
        sys.exit("a strobe pin was refused")
    olvbus.Set_DUT_BUSY_Timeout(1000)

    olvbus.Trace_Begin()
    for address, value in SETTINGS:
        if not olvbus.Try_DUT_Register_Write(address, value):
            sys.exit(f"write 0x{address:02X}: no answer from the board")
    wrong = 0
    for address, expected in SETTINGS:
        value = i32(-1)
        if not olvbus.Try_DUT_Register_Read(address, ctypes.byref(value)):
            sys.exit(f"read 0x{address:02X}: no answer from the board")
        print(f"reg 0x{address:02X} = 0x{value.value:02X}" + ("" if value.value == expected else "  (wrong)"))
        wrong += value.value != expected
    olvbus.Trace_End()
    print("call trace:" + olvbus.Get_Trace_Buffer().decode("latin-1"))
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
