"""Checks what ./quenfold package wrote: the archive's members and checksums,
and the facts of the DLL in it that the export check does not cover: size,
imports (exactly those in package/imports.txt where the release toolchain
built it), thread-local-storage callbacks, hardening flags, time stamp, build
paths, the version resource. Reads the DLL with a PE parser (python3-pefile).

check_release.py --dist DIR --version V --dll BUILT_DLL [--forbid PATH]...

Prints the version resource as read back; exits 1 with the reasons on a fault.
"""
import argparse
import hashlib
import os
import sys
import zipfile

import pefile

from check_plugin import imported_dlls, imported_functions, load, text, tls_callbacks

MEMBERS = ["Quenfold.dll", "Quenfold.txt", "LICENSE.txt"]
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "shell32.dll", "msvcrt.dll", "advapi32.dll"}
# A bound against gross growth (a second runtime, debug information left
# in): Debian 12's toolchain makes 277,504 bytes, Debian 13's 292,864. The
# posix thread-model runtime, which once made the DLL bigger, is caught by its
# imports and its TLS callbacks instead.
MAX_DLL_BYTES = 320 * 1024
IMPORTS_LIST = os.path.join(os.path.dirname(os.path.abspath(__file__)), "imports.txt")
# The MinGW-w64 runtime's start-up code always brings a TLS directory with
# its two callbacks (dynamic thread-local initialisers, per-thread key
# destructors); the posix thread model adds winpthreads' own.
MAX_TLS_CALLBACKS = 2
# The linker version in the PE header names the toolchain that makes the
# published DLL: Debian 12's MinGW-w64 (binutils 2.40, GCC 12, runtime 10).
# package/imports.txt is exactly what it links.
RELEASE_LINKER = (2, 40)
# Not a guest's business in its host's process, whatever the list says:
# thread control, threads of its own, process-wide handlers and hooks. The
# search window's keys take a hook on the host's thread alone, set without a
# module handle, which the system refuses for a process-wide one
# (ui/dialog_keys.cpp): SetWindowsHookExA stays allowed for that, its W twin not.
FORBIDDEN_IMPORTS = {
    "AddVectoredExceptionHandler", "AddVectoredContinueHandler", "SetUnhandledExceptionFilter",
    "SuspendThread", "ResumeThread", "GetThreadContext", "SetThreadContext", "CreateThread",
    "CreateRemoteThread", "_beginthread", "_beginthreadex", "SetWindowsHookExW"}
RT_VERSION = 0x10
JAPANESE = 0x411


def version_resource(pe):
    """FILEVERSION, PRODUCTVERSION and FILETYPE as a resource script writes
    them, the string table's texts, and the translation as (language, code page)."""
    fixed, strings, translation = {}, {}, None
    for info in getattr(pe, "VS_FIXEDFILEINFO", [])[:1]:
        def numbers(ms, ls):
            return "%d, %d, %d, %d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
        fixed = {"FILEVERSION": numbers(info.FileVersionMS, info.FileVersionLS),
                 "PRODUCTVERSION": numbers(info.ProductVersionMS, info.ProductVersionLS),
                 "FILETYPE": "0x%x" % info.FileType}
    for block in (entry for info in getattr(pe, "FileInfo", []) for entry in info):
        for table in getattr(block, "StringTable", []):
            strings.update({text(key): text(value) for key, value in table.entries.items()})
        for var in getattr(block, "Var", []):
            value = {text(key): value for key, value in var.entry.items()}.get("Translation")
            if value and translation is None:
                language, code_page = (int(word, 16) for word in text(value).split()[:2])
                translation = ("0x%x" % language, str(code_page))
    return fixed, strings, translation


def resource_languages(pe, resource_type):
    """Language ids of one resource type, from the resource directory."""
    directory = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    return [language.id
            for kind in (directory.entries if directory else []) if kind.id == resource_type
            for name in kind.directory.entries for language in name.directory.entries]


def listed_imports():
    with open(IMPORTS_LIST) as f:
        return {line.split("#")[0].strip() for line in f} - {""}


def linker_version(pe):
    return (pe.OPTIONAL_HEADER.MajorLinkerVersion, pe.OPTIONAL_HEADER.MinorLinkerVersion)


def check_dll(pe, dll, version, forbid, faults, notes):
    if len(dll) > MAX_DLL_BYTES:
        faults.append("Quenfold.dll is %d bytes, more than %d" % (len(dll), MAX_DLL_BYTES))
    imports = imported_dlls(pe)
    if not imports or imports - SYSTEM_DLLS:
        faults.append("imports beyond the system DLLs: %s" % sorted(imports - SYSTEM_DLLS))
    functions, listed = imported_functions(pe), listed_imports()
    # The exact list is the release toolchain's; another runtime links other
    # helpers, which is worth knowing but not a fault.
    differences = notes if linker_version(pe) != RELEASE_LINKER else faults
    if functions - listed:
        differences.append("imports not in package/imports.txt: %s" % sorted(functions - listed))
    if listed - functions:
        differences.append("package/imports.txt lists what is not imported: %s" %
                           sorted(listed - functions))
    forbidden = sorted(f for f in functions if f.split()[1] in FORBIDDEN_IMPORTS)
    if forbidden:
        faults.append("imports thread control or process-wide hooks: %s" % forbidden)
    callbacks = tls_callbacks(pe)
    if len(callbacks) > MAX_TLS_CALLBACKS:
        faults.append("%d TLS callbacks, more than the runtime's own %d" %
                      (len(callbacks), MAX_TLS_CALLBACKS))
    characteristics = pe.OPTIONAL_HEADER.DllCharacteristics
    for flag in ("DYNAMIC_BASE", "NX_COMPAT"):
        if not characteristics & pefile.DLL_CHARACTERISTICS["IMAGE_DLLCHARACTERISTICS_" + flag]:
            faults.append("DllCharacteristics lacks %s" % flag)
    if b"stack smashing detected" not in dll:
        faults.append("the stack protector's runtime is not linked in")
    if pe.FILE_HEADER.TimeDateStamp != 0:
        faults.append("the PE header carries a time stamp")
    for folder in forbid:
        if folder.encode() in dll:
            faults.append("the build path %s is inside" % folder)

    fixed, strings, translation = version_resource(pe)
    if resource_languages(pe, RT_VERSION) != [JAPANESE]:
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

    notes = []
    pe = load(args.dll)
    fixed, strings, translation = check_dll(pe, dll, args.version, args.forbid, faults, notes)

    print("Quenfold.dll in %s: %d bytes, %d imports, %d TLS callbacks, sha256 %s" % (
        zip_name, len(dll), len(imported_functions(pe)), len(tls_callbacks(pe)),
        hashlib.sha256(dll).hexdigest()))
    print("version resource: FILEVERSION %s, PRODUCTVERSION %s, translation %s" % (
        fixed.get("FILEVERSION"), fixed.get("PRODUCTVERSION"), translation))
    for key in sorted(strings):
        print("  %-16s %s" % (key, strings[key]))
    if notes:
        print("built by another toolchain than the release's (linker %d.%d, not %d.%d): its "
              "runtime imports other functions than the published DLL" % (
                  linker_version(pe) + RELEASE_LINKER))
        for note in notes:
            print("  note: " + note)
    for fault in faults:
        print("fault: " + fault, file=sys.stderr)
    if faults:
        return 1
    print("archive members, CR LF texts, checksums, imports (system DLLs, %s), TLS callbacks"
          " (the runtime's only), DYNAMIC_BASE, NX_COMPAT, stack protector, no time stamp, no "
          "build path, version resource: ok" % (
              "no thread control" if notes else "the listed functions"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
