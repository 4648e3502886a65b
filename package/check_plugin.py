"""Checks the DLL users install as a host loads it: 32-bit, named Quenfold.dll
in its export directory, the sixteen callbacks at ordinals 1 to 16, no MinGW
runtime DLL to carry, no thread control or process-wide handler.

check_plugin.py DLL

Also the reader the release check shares: every fact comes from the PE
structures (python3-pefile), never from a tool's printed text.
"""
import sys

import pefile

CALLBACKS = ["BKC_OnStart", "BKC_OnExit", "BKC_OnMenuInit", "BKC_OnOpenFolder",
             "BKC_OnOpenMail", "BKC_OnEveryMinute", "BKC_OnOpenCompose", "BKC_OnOutgoing",
             "BKC_OnKeyDispatch", "BKC_OnRetrieve", "BKC_OnSend", "BKC_OnFinishRetrieve",
             "BKC_OnPlugInSetup", "BKC_OnPlugInInfo", "BKC_OnDragDrop", "BKC_OnBeforeFilter2"]
MINGW_DLLS = ("libgcc", "libstdc", "libwinpthread")
THREAD_CONTROL = {"AddVectoredExceptionHandler", "SetUnhandledExceptionFilter", "SuspendThread",
                  "ResumeThread", "GetThreadContext", "SetThreadContext", "CreateThread",
                  "_beginthread", "_beginthreadex"}
DIRECTORIES = ["IMAGE_DIRECTORY_ENTRY_EXPORT", "IMAGE_DIRECTORY_ENTRY_IMPORT",
               "IMAGE_DIRECTORY_ENTRY_TLS", "IMAGE_DIRECTORY_ENTRY_RESOURCE"]


def load(source):
    """A DLL's parsed headers and directories, from its path or its bytes."""
    if isinstance(source, bytes):
        pe = pefile.PE(data=source, fast_load=True)
    else:
        pe = pefile.PE(source, fast_load=True)
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY[d] for d in DIRECTORIES])
    return pe


def text(raw):
    return raw.decode("utf-8", "replace") if isinstance(raw, bytes) else raw


def module_name(pe):
    exports = getattr(pe, "DIRECTORY_ENTRY_EXPORT", None)
    return text(exports.name) if exports and exports.name else None


def exports(pe):
    """[(ordinal, name or None)], by ordinal."""
    directory = getattr(pe, "DIRECTORY_ENTRY_EXPORT", None)
    if not directory:
        return []
    return sorted((symbol.ordinal, text(symbol.name) if symbol.name else None)
                  for symbol in directory.symbols)


def imported_dlls(pe):
    return {text(entry.dll).lower() for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])}


def imported_functions(pe):
    """{"kernel32.dll GetLastError", ...}; "#N" for an import by ordinal."""
    functions = set()
    for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
        for function in entry.imports:
            name = text(function.name) if function.name else "#%d" % function.ordinal
            functions.add("%s %s" % (text(entry.dll).lower(), name))
    return functions


def tls_callbacks(pe):
    """The TLS callbacks, as virtual addresses."""
    tls = getattr(pe, "DIRECTORY_ENTRY_TLS", None)
    if not tls or not tls.struct.AddressOfCallBacks:
        return []
    callbacks = []
    rva = tls.struct.AddressOfCallBacks - pe.OPTIONAL_HEADER.ImageBase
    while pe.get_dword_at_rva(rva + 4 * len(callbacks)):
        callbacks.append(pe.get_dword_at_rva(rva + 4 * len(callbacks)))
    return callbacks


def plugin_faults(pe):
    faults = []
    if pe.FILE_HEADER.Machine != pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"]:
        faults.append("not 32-bit")
    if module_name(pe) != "Quenfold.dll":
        faults.append("module name is %s, not Quenfold.dll" % module_name(pe))
    expected = list(enumerate(CALLBACKS, 1))
    if exports(pe) != expected:
        faults.append("exports differ: %s" % " ".join("%d %s" % e for e in exports(pe)))
    mingw = sorted(dll for dll in imported_dlls(pe) if dll.startswith(MINGW_DLLS))
    if mingw:
        faults.append("needs a MinGW DLL: %s" % mingw)
    control = sorted(f for f in imported_functions(pe) if f.split()[1] in THREAD_CONTROL)
    if control:
        faults.append("imports thread control or a process-wide handler: %s" % control)
    return faults


def main(path):
    try:
        pe = load(path)
    except (OSError, pefile.PEFormatError) as error:
        print("%s: %s" % (path, error))
        return 1
    faults = plugin_faults(pe)
    for fault in faults:
        print("%s: %s" % (path, fault))
    if faults:
        return 1
    print("%s (32-bit): module name, 16 exports at ordinals 1-16, no MinGW DLLs, "
          "no thread control: ok" % path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
