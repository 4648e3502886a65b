"""Checks what ./quenfold package wrote: the archive's members and checksums,
and the facts of the DLL in it that the export check does not cover: size,
imports (exactly those in package/imports.txt), thread-local-storage
callbacks, hardening flags, time stamp, build paths, the version resource.

check_release.py --dist DIR --version V --dll BUILT_DLL [--forbid PATH]...

Prints the version resource as read back; exits 1 with the reasons on a fault.
"""
import argparse
import hashlib
import os
import re
import struct
import subprocess
import sys
import zipfile

MEMBERS = ["Quenfold.dll", "Quenfold.txt", "LICENSE.txt"]
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "shell32.dll", "msvcrt.dll", "advapi32.dll"}
# Release 1.1 with the posix thread-model runtime was 286,208 bytes; the
# win32 model's runtime keeps it well below.
MAX_DLL_BYTES = 276 * 1024
IMPORTS_LIST = os.path.join(os.path.dirname(os.path.abspath(__file__)), "imports.txt")
# The MinGW-w64 runtime's start-up code always brings a TLS directory with
# its two callbacks (dynamic thread-local initialisers, per-thread key
# destructors); the posix thread model adds winpthreads' own.
MAX_TLS_CALLBACKS = 2
IMAGE_DIRECTORY_ENTRY_TLS = 9
# Not a guest's business in its host's process, whatever the list says:
# thread control, threads of its own, process-wide handlers and hooks.
FORBIDDEN_IMPORTS = {
    "AddVectoredExceptionHandler", "AddVectoredContinueHandler", "SetUnhandledExceptionFilter",
    "SuspendThread", "ResumeThread", "GetThreadContext", "SetThreadContext", "CreateThread",
    "CreateRemoteThread", "_beginthread", "_beginthreadex", "SetWindowsHookExA",
    "SetWindowsHookExW"}
RT_VERSION = 0x10
JAPANESE = 0x411


def tool(name, *args):
    return subprocess.run(["i686-w64-mingw32-" + name, *args], check=True,
                          capture_output=True, text=True, errors="replace").stdout


def rc_text(literal):
    """The text of a string as windres -O rc writes it: "..." or L"\\x....". """
    wide = literal.startswith("L")
    body = literal[2:-1] if wide else literal[1:-1]
    out, i = "", 0
    while i < len(body):
        if body[i] == "\\" and body[i + 1] == "x":
            digits = re.match(r"[0-9a-fA-F]{1,4}", body[i + 2:]).group(0)
            out += chr(int(digits, 16))
            i += 2 + len(digits)
        elif body[i] == "\\":
            out += {"n": "\n", "t": "\t", "\\": "\\", '"': '"'}.get(body[i + 1], body[i + 1])
            i += 2
        else:
            out += body[i]
            i += 1
    return out


def version_resource(dll_path):
    rc = tool("windres", "-i", dll_path, "-O", "rc")
    block = rc[rc.find("VERSIONINFO"):] if "VERSIONINFO" in rc else ""
    fixed = dict(re.findall(r"^ (FILEVERSION|PRODUCTVERSION|FILETYPE) (.+)$", block, re.M))
    strings = {key: rc_text(value)
               for key, value in re.findall(r'VALUE "(\w+)", (L?"(?:[^"\\]|\\.)*")$', block,
                                            re.M)}
    translation = re.search(r'VALUE "Translation", (\S+), (\d+)', block)
    return fixed, strings, translation.groups() if translation else None


def resource_languages(dump, resource_type):
    """Language ids of one resource type, from objdump -p's directory listing."""
    languages, current = [], None
    for line in dump.splitlines():
        entry = re.match(r"^[0-9a-f]{3}( +)Entry: ID: 0x([0-9a-f]+)", line)
        if not entry:
            continue
        depth, ident = len(entry.group(1)), int(entry.group(2), 16)
        if depth == 3:
            current = ident
        elif depth == 7 and current == resource_type:
            languages.append(ident)
    return languages


def imported_functions(dump):
    """{"kernel32.dll GetLastError", ...} from objdump -p's import tables."""
    functions, dll = set(), None
    for line in dump.splitlines():
        name = re.match(r"\s*DLL Name: (\S+)", line)
        if name:
            dll = name.group(1).lower()
            continue
        entry = re.match(r"^\t[0-9a-f]+\s+\d+\s+(\S+)$", line)
        if entry and dll:
            functions.add("%s %s" % (dll, entry.group(1)))
        elif not line.strip():
            dll = None
    return functions


def listed_imports():
    with open(IMPORTS_LIST) as f:
        return {line.split("#")[0].strip() for line in f} - {""}


def tls_callbacks(dll):
    """The TLS callbacks of a 32-bit PE image, as virtual addresses."""
    pe = struct.unpack_from("<I", dll, 0x3C)[0]
    sections = struct.unpack_from("<H", dll, pe + 6)[0]
    optional_size = struct.unpack_from("<H", dll, pe + 20)[0]
    optional = pe + 24
    image_base = struct.unpack_from("<I", dll, optional + 28)[0]
    rva, size = struct.unpack_from("<II", dll, optional + 96 + 8 * IMAGE_DIRECTORY_ENTRY_TLS)
    if not rva or not size:
        return []
    table = [struct.unpack_from("<IIII", dll, optional + optional_size + 40 * i + 8)
             for i in range(sections)]

    def offset(address):
        for virtual_size, virtual_address, raw_size, raw_offset in table:
            if virtual_address <= address < virtual_address + max(virtual_size, raw_size):
                return raw_offset + address - virtual_address
        raise ValueError("address 0x%x is in no section" % address)

    callbacks_va = struct.unpack_from("<I", dll, offset(rva) + 12)[0]
    callbacks, at = [], offset(callbacks_va - image_base)
    while struct.unpack_from("<I", dll, at)[0]:
        callbacks.append(struct.unpack_from("<I", dll, at)[0])
        at += 4
    return callbacks


def check_dll(path, dll, version, forbid, faults):
    if len(dll) > MAX_DLL_BYTES:
        faults.append("Quenfold.dll is %d bytes, more than %d" % (len(dll), MAX_DLL_BYTES))
    dump = tool("objdump", "-p", path)
    imports = {name.lower() for name in re.findall(r"DLL Name: (\S+)", dump)}
    if not imports or imports - SYSTEM_DLLS:
        faults.append("imports beyond the system DLLs: %s" % sorted(imports - SYSTEM_DLLS))
    functions, listed = imported_functions(dump), listed_imports()
    if functions - listed:
        faults.append("imports not in package/imports.txt: %s" % sorted(functions - listed))
    if listed - functions:
        faults.append("package/imports.txt lists what is not imported: %s" %
                      sorted(listed - functions))
    forbidden = sorted(f for f in functions if f.split()[1] in FORBIDDEN_IMPORTS)
    if forbidden:
        faults.append("imports thread control or process-wide hooks: %s" % forbidden)
    callbacks = tls_callbacks(dll)
    if len(callbacks) > MAX_TLS_CALLBACKS:
        faults.append("%d TLS callbacks, more than the runtime's own %d" %
                      (len(callbacks), MAX_TLS_CALLBACKS))
    for flag in ("DYNAMIC_BASE", "NX_COMPAT"):
        if not re.search(r"^\s+%s$" % flag, dump, re.M):
            faults.append("DllCharacteristics lacks %s" % flag)
    if b"stack smashing detected" not in dll:
        faults.append("the stack protector's runtime is not linked in")
    pe = struct.unpack_from("<I", dll, 0x3C)[0]
    if struct.unpack_from("<I", dll, pe + 8)[0] != 0:
        faults.append("the PE header carries a time stamp")
    for folder in forbid:
        if folder.encode() in dll:
            faults.append("the build path %s is inside" % folder)

    fixed, strings, translation = version_resource(path)
    if resource_languages(dump, RT_VERSION) != [JAPANESE]:
        faults.append("the version resource is not stored as Japanese (0x411)")
    numbers = ", ".join((version.split(".") + ["0"] * 4)[:4])
    expected_fixed = {"FILEVERSION": numbers, "PRODUCTVERSION": numbers, "FILETYPE": "0x2"}
    if fixed != expected_fixed:
        faults.append("version numbers %s, expected %s" % (fixed, expected_fixed))
    if translation != ("0x411", "932"):
        faults.append("translation %s, expected Japanese with code page 932" % (translation,))
    expected = {"ProductName": "Quenfold", "OriginalFilename": "Quenfold.dll",
                "InternalName": "Quenfold", "FileVersion": version, "ProductVersion": version}
    for key, value in expected.items():
        if strings.get(key) != value:
            faults.append("%s is %r, expected %r" % (key, strings.get(key), value))
    # The same texts as the plug-in hands to the host, in its Shift-JIS bytes:
    # the vendor, the description, and the about box's second line.
    for key, before in (("CompanyName", b""), ("FileDescription", b""),
                        ("LegalCopyright", b"\n")):
        text = strings.get(key, "")
        if not text or before + text.encode("cp932") + b"\0" not in dll:
            faults.append("%s %r is none of the plug-in's own texts" % (key, text))
    return fixed, strings, translation


def windows_text_fault(name, data, encoding):
    try:
        data.decode(encoding)
    except UnicodeDecodeError:
        return "%s is not %s" % (name, encoding)
    if data.count(b"\n") == 0 or data.count(b"\n") != data.count(b"\r\n"):
        return "%s does not end every line with CR LF" % name
    if data.count(b"\r") != data.count(b"\r\n"):
        return "%s has a bare CR" % name
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dist", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--dll", required=True)
    parser.add_argument("--forbid", action="append", default=[])
    args = parser.parse_args()

    faults = []
    zip_name = "Quenfold-%s.zip" % args.version
    zip_path = os.path.join(args.dist, zip_name)
    with open(zip_path, "rb") as f:
        zip_bytes = f.read()
    with zipfile.ZipFile(zip_path) as archive:
        names = archive.namelist()
        if names != MEMBERS:
            faults.append("archive members %s, expected %s" % (names, MEMBERS))
        data = {name: archive.read(name) for name in names}
    dll = data.get("Quenfold.dll", b"")
    with open(args.dll, "rb") as f:
        if f.read() != dll:
            faults.append("the archive's Quenfold.dll is not the one built")
    for name, encoding in (("Quenfold.txt", "cp932"), ("LICENSE.txt", "ascii")):
        fault = windows_text_fault(name, data.get(name, b""), encoding)
        if fault:
            faults.append(fault)
    with open(os.path.join(args.dist, "SHA256SUMS")) as f:
        sums = f.read()
    expected_sums = "%s  %s\n%s  Quenfold.dll\n" % (
        hashlib.sha256(zip_bytes).hexdigest(), zip_name, hashlib.sha256(dll).hexdigest())
    if sums != expected_sums:
        faults.append("SHA256SUMS does not match the archive and its DLL")

    fixed, strings, translation = check_dll(args.dll, dll, args.version, args.forbid, faults)

    print("Quenfold.dll in %s: %d bytes, %d imports, %d TLS callbacks, sha256 %s" % (
        zip_name, len(dll), len(imported_functions(tool("objdump", "-p", args.dll))),
        len(tls_callbacks(dll)), hashlib.sha256(dll).hexdigest()))
    print("version resource: FILEVERSION %s, PRODUCTVERSION %s, translation %s" % (
        fixed.get("FILEVERSION"), fixed.get("PRODUCTVERSION"), translation))
    for key in sorted(strings):
        print("  %-16s %s" % (key, strings[key]))
    for fault in faults:
        print("fault: " + fault, file=sys.stderr)
    if faults:
        return 1
    print("archive members, CR LF texts, checksums, imports (system DLLs, the listed "
          "functions), TLS callbacks (the runtime's only), DYNAMIC_BASE, "
          "NX_COMPAT, stack protector, no time stamp, no build path, version resource: ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
