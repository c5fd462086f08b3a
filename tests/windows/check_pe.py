#!/usr/bin/env python3
# tests/windows/check_pe.py -- reads Quorvane.dll as a file: machine, the DLL flag, exactly
# the three exports at ordinals 1..3, only system DLLs imported, and the version resource.
#
#   check_pe.py QUORVANE.DLL i386|amd64 VERSION
import sys

import pefile

MACHINES = {"i386": (0x014C, 0x10B), "amd64": (0x8664, 0x20B)}  # machine, optional header magic
EXPORTS = {1: "GetFilterVersion", 2: "HttpFilterProc", 3: "TerminateFilter"}
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


def check(path, arch, version):
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
    if len(argv) != 4 or argv[2] not in MACHINES:
        print("usage: check_pe.py QUORVANE.DLL i386|amd64 VERSION", file=sys.stderr)
        return 2
    check(argv[1], argv[2], argv[3])
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
