"""The release checks refuse what they are there to refuse: each fault is
written into a copy of the built DLL, and the checks must name it (a DLL of
another toolchain than the release's: an import difference as a note).

test_checks.py DLL VERSION
"""
import struct
import sys

from check_plugin import load, plugin_faults
from check_release import check_dll


def rename(dll, old, new):
    """The copy with the NUL-terminated name OLD replaced by NEW (no longer)."""
    at = dll.index(old + b"\0")
    return dll[:at] + new.ljust(len(old), b"\0") + dll[at + len(old):]


def header(dll, field_offset, fmt, value):
    pe = load(dll)
    at = field_offset(pe)
    return dll[:at] + struct.pack(fmt, value) + dll[at + struct.calcsize(fmt):]


def reports(dll, version):
    """Faults, and notes (what another toolchain's DLL reports instead)."""
    pe, notes = load(dll), []
    faults = plugin_faults(pe)
    check_dll(pe, dll, version, [], faults, notes)
    return faults, notes


def main(path, version):
    with open(path, "rb") as f:
        dll = f.read()
    nx = load(dll).OPTIONAL_HEADER.DllCharacteristics & ~0x100
    cases = {
        "an import the list lacks": rename(dll, b"GetTickCount", b"GetTickCounX"),
        "thread control": rename(dll, b"VirtualProtect", b"SuspendThread"),
        "a MinGW DLL": rename(dll, b"msvcrt.dll", b"libgcc.dll"),
        "another export": rename(dll, b"BKC_OnExit", b"BKC_OnExiT"),
        "no NX_COMPAT": header(dll, lambda pe: pe.OPTIONAL_HEADER.get_file_offset() + 70, "<H", nx),
        "a time stamp": header(dll, lambda pe: pe.FILE_HEADER.get_file_offset() + 4, "<I", 1),
        "another version": dll.replace("1.1\0".encode("utf-16-le"), "1.2\0".encode("utf-16-le")),
    }
    faults, notes = reports(dll, version)
    if faults:
        print("the release checks fault the DLL as built: %s" % faults)
        return 1

    def refused(broken):
        broken_faults, broken_notes = reports(broken, version)
        return broken_faults or set(broken_notes) - set(notes)
    missed = [name for name, broken in cases.items() if not refused(broken)]
    if missed:
        print("the release checks pass a DLL with %s" % ", ".join(missed))
        return 1
    print("the release checks refuse a copy of the DLL with %s: ok" % ", ".join(cases))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
