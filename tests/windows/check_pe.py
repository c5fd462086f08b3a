#!/usr/bin/env python3
# tests/windows/check_pe.py -- reads Quorvane.dll as a file: machine, the DLL flag, exactly
# the three exports at ordinals 1..3, only system DLLs imported, the version resource, and
# in the 32-bit build that each export removes its own arguments (__stdcall).
#
#   check_pe.py QUORVANE.DLL i386|amd64 VERSION [OBJDUMP]
import re
import subprocess
import sys

import pefile

MACHINES = {"i386": (0x014C, 0x10B), "amd64": (0x8664, 0x20B)}  # machine, optional header magic
EXPORTS = {1: "GetFilterVersion", 2: "HttpFilterProc", 3: "TerminateFilter"}
ARGUMENT_BYTES = {"GetFilterVersion": 4, "HttpFilterProc": 12, "TerminateFilter": 4}
# DLLs every Windows server has; a MinGW runtime DLL (libstdc++, libgcc_s, libwinpthread)
# would mean the runtime was not linked in.
SYSTEM_DLLS = {"kernel32.dll", "msvcrt.dll"}
LANG_CHINESE_PRC = 0x0804
CP936 = 936
VFT_DLL = 2
IMAGE_FILE_DLL = 0x2000
RT_VERSION = 16

passed = failed = 0


def expect(ok, name, detail=""):
    global passed, failed
    if ok:
        passed += 1
    else:
        failed += 1
        print(f"FAIL {name}" + (f": {detail}" if detail else ""))


def version_words(version):
    parts = [int(p) for p in version.split(".")]
    return parts[0] << 16 | parts[1], parts[2] << 16 | parts[3]


def returns(objdump, path, start, stop):
    """The operand of each ret from start up to stop, or up to the first ret when stop is None."""
    end = stop if stop is not None else start + 0x200
    listing = subprocess.run([objdump, "-d", f"--start-address={start:#x}", f"--stop-address={end:#x}", path],
                             check=True, capture_output=True, text=True).stdout
    found = []
    for match in re.finditer(r"\tret\s*(\$0x[0-9a-f]+)?", listing):
        found.append(int(match.group(1)[1:], 16) if match.group(1) else 0)
        if stop is None:
            break
    return found


# The server calls with __stdcall: each export's every ret must pop its arguments.
def check_stdcall(pe, path, objdump):
    base = pe.OPTIONAL_HEADER.ImageBase
    exports = sorted((base + s.address, s.name.decode()) for s in pe.DIRECTORY_ENTRY_EXPORT.symbols)
    for index, (start, name) in enumerate(exports):
        stop = exports[index + 1][0] if index + 1 < len(exports) else None
        found = returns(objdump, path, start, stop)
        expect(found and all(pops == ARGUMENT_BYTES[name] for pops in found),
               f"{name} returns with ret {ARGUMENT_BYTES[name]}", f"ret operands {found}")


def check(path, arch, version, objdump=None):
    pe = pefile.PE(path)
    machine, magic = MACHINES[arch]
    expect(pe.FILE_HEADER.Machine == machine, "machine", hex(pe.FILE_HEADER.Machine))
    expect(pe.OPTIONAL_HEADER.Magic == magic, "optional header magic", hex(pe.OPTIONAL_HEADER.Magic))
    expect(pe.FILE_HEADER.Characteristics & IMAGE_FILE_DLL, "DLL flag")

    exports = getattr(pe, "DIRECTORY_ENTRY_EXPORT", None)
    found = {s.ordinal: (s.name or b"").decode() for s in exports.symbols} if exports else {}
    expect(found == EXPORTS, "exports: exactly the three, at ordinals 1, 2, 3", repr(found))
    if exports:
        expect(pe.get_string_at_rva(exports.struct.Name) == b"Quorvane.dll", "export table names Quorvane.dll")

    if arch == "i386" and objdump and exports:
        check_stdcall(pe, path, objdump)

    imported = {entry.dll.decode().lower() for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])}
    expect(imported and imported <= SYSTEM_DLLS, "imports: system DLLs only", ", ".join(sorted(imported)))

    ms, ls = version_words(version)
    fixed = pe.VS_FIXEDFILEINFO[0] if getattr(pe, "VS_FIXEDFILEINFO", None) else None
    expect(fixed is not None, "version resource present")
    if fixed is None:
        return
    expect((fixed.FileVersionMS, fixed.FileVersionLS) == (ms, ls), "file version " + version)
    expect((fixed.ProductVersionMS, fixed.ProductVersionLS) == (ms, ls), "product version " + version)
    expect(fixed.FileType == VFT_DLL, "file type DLL", str(fixed.FileType))

    strings, translations = {}, []
    for info in pe.FileInfo[0]:
        if info.Key == b"StringFileInfo":
            for table in info.StringTable:
                strings[table.LangID.decode()] = {k.decode(): v.decode() for k, v in table.entries.items()}
        elif info.Key == b"VarFileInfo":
            for var in info.Var:
                translations += [tuple(int(word, 16) for word in var.entry[b"Translation"].split())]
    table = strings.get(f"{LANG_CHINESE_PRC:04x}{CP936:04x}", {})
    expect(table.get("FileDescription") == "Quorvane", "FileDescription", repr(table))
    expect(table.get("ProductName") == "Quorvane", "ProductName", repr(table))
    expect(table.get("FileVersion") == version and table.get("ProductVersion") == version, "version strings")
    expect(translations == [(LANG_CHINESE_PRC, CP936)], "translation: Chinese (PRC), code page 936",
           repr(translations))

    languages = [
        language.id
        for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries if kind.id == RT_VERSION
        for name in kind.directory.entries
        for language in name.directory.entries
    ]
    expect(languages == [LANG_CHINESE_PRC], "resource language Chinese (PRC)", repr(languages))


def main(argv):
    if len(argv) not in (4, 5) or argv[2] not in MACHINES:
        print("usage: check_pe.py QUORVANE.DLL i386|amd64 VERSION [OBJDUMP]", file=sys.stderr)
        return 2
    check(*argv[1:])
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
