#!/usr/bin/env python3
# policy/cp936_generate.py -- writes policy/cp936_table.inc, the code page 936 data of policy/cp936.cpp.
#
#   python3 policy/cp936_generate.py > policy/cp936_table.inc
#   python3 policy/cp936_generate.py policy/cp936_table.inc
#   python3 policy/cp936_generate.py --compare-nls c_936.nls   (checks only; writes nothing)
#
# The output depends only on this file, Python's gbk codec and Python's Unicode case data;
# every assumption the table rests on is asserted, so a Python that differs stops the
# generator instead of changing the table silently.
#
# Where each mapping comes from:
# - Validity is a rule, not a codec: lead 81..FE with trail 40..7E or 80..FE is a character
#   (23,940 pairs); any other trail makes the pair invalid. The gbk and gb18030 codecs and
#   glibc's iconv reject about 2,150 of these pairs, which the platform accepts.
# - Assigned characters (21,791): Python's gbk codec.
# - The other 2,149 pairs: the platform gives each a private-use code unit, area by area in
#   PRIVATE_USE_AREAS, each area's codes in byte order taking consecutive units. Python's
#   gb18030 codec agrees on all but the 81 codes in GB18030_DIFFERS, where GB18030 assigned
#   real characters that the platform keeps in the private use area; we follow the platform.
# - Single bytes: 00..7F are ASCII; 80 and FF are in SINGLE_BYTES. No Python codec maps them.
# - Upper-case forms: str.upper on the Unicode form, 1:1 mappings only, back through this
#   table; see EXPECTED_UPPER_RANGES and MUST_KEEP.
# All of the above except the upper-case forms was compared pair by pair with Wine 8.0's
# c_936.nls (the table behind Wine's MultiByteToWideChar) through --compare-nls: no
# difference. The Windows test program cp936_platform_check compares the generated table
# with the platform's answers under Wine on every build (bytes and pairs to Unicode, Unicode
# to bytes, lead bytes, and the upper-case forms the Windows build takes from the platform,
# through LCMapStringW for locale 0x0804): no difference in 32,256 pairs, 93 of which change.
# Doubts: Windows itself was not measured; and the platform's conversion from
# Unicode also has best-fit entries (412 units, e.g. U+00C0 -> A8A4) that this table leaves
# out on purpose, since a best fit is not the character.
#
# To mend a difference found against the platform: add the code to PAIR_OVERRIDES (or fix
# the area in PRIVATE_USE_AREAS) and regenerate.

import sys

LEADS = range(0x81, 0xFF)
TRAILS = [t for t in range(0x40, 0xFF) if t != 0x7F]
assert len(TRAILS) == 190

# name, leads, trails, first code unit. Order matters: it is the order in which the
# platform hands out private-use units, and the last area takes whatever is left.
PRIVATE_USE_AREAS = [
    ("user-defined area AAA1..AFFE", range(0xAA, 0xB0), range(0xA1, 0xFF), 0xE000),
    ("user-defined area F8A1..FEFE", range(0xF8, 0xFF), range(0xA1, 0xFF), 0xE234),
    ("user-defined area A140..A7A0", range(0xA1, 0xA8), [t for t in range(0x40, 0xA1) if t != 0x7F], 0xE4C6),
    ("unassigned codes elsewhere", LEADS, TRAILS, 0xE766),
]

# Codes the platform maps differently from where the area rule puts them: code -> unit.
PAIR_OVERRIDES = {}

# Single bytes the platform maps beyond ASCII, from its own table (Python has neither).
# FF is what the platform's plain conversion gives, the one its profile reader uses; its
# strict conversion (MB_ERR_INVALID_CHARS) refuses the byte FF alone. Single bytes are never
# validated when texts are compared, so the table follows the plain conversion.
SINGLE_BYTES = {0x80: 0x20AC, 0xFF: 0xF8F5}

# Where gb18030 assigned a real character and the platform a private-use unit.
GB18030_DIFFERS = (
    {0xA2E3, 0xA8BF}
    | set(range(0xA989, 0xA996))
    | {0xFE50, 0xFE54, 0xFE55, 0xFE56, 0xFE57, 0xFE58, 0xFE5A, 0xFE5B, 0xFE5C, 0xFE5D, 0xFE5E,
       0xFE5F, 0xFE60, 0xFE62, 0xFE63, 0xFE64, 0xFE65, 0xFE68, 0xFE69, 0xFE6A, 0xFE6B, 0xFE6E,
       0xFE6F, 0xFE70, 0xFE71, 0xFE72, 0xFE73, 0xFE74, 0xFE75, 0xFE77, 0xFE78, 0xFE79, 0xFE7A,
       0xFE7B, 0xFE7C, 0xFE7D, 0xFE80, 0xFE81, 0xFE82, 0xFE83, 0xFE84, 0xFE85, 0xFE86, 0xFE87,
       0xFE88, 0xFE89, 0xFE8A, 0xFE8B, 0xFE8C, 0xFE8D, 0xFE8E, 0xFE8F, 0xFE92, 0xFE93, 0xFE94,
       0xFE95, 0xFE96, 0xFE97, 0xFE98, 0xFE99, 0xFE9A, 0xFE9B, 0xFE9C, 0xFE9D, 0xFE9E, 0xFE9F}
)

# Upper-case changes: first code, last code, what to add to the code. Exactly these.
EXPECTED_UPPER_RANGES = [
    (0xA2A1, 0xA2AA, +0x50),  # small roman numerals i..x
    (0xA3E1, 0xA3FA, -0x20),  # fullwidth a..z
    (0xA6C1, 0xA6D8, -0x20),  # Greek alpha..omega
    (0xA7D1, 0xA7F1, -0x30),  # Cyrillic a..ya
]
EXPECTED_UPPER_COUNT = 93

# Characters whose upper-case form code page 936 cannot hold keep their own form. The
# platform's own round trip would turn these four (upper-case forms U+2C6D, U+0143, U+0147,
# U+A7AC) into one "?", equal to each other and to a real "?", so two different characters
# would compare equal; we mend that. The pinyin letters with tones (A8A1..A8BA) come back as
# themselves on the platform too, through its best fit. No upper-case form is a single byte.
MUST_KEEP = {0xA8BB, 0xA8BD, 0xA8BE, 0xA8C0}


def codes():
    return [(lead << 8) | trail for lead in LEADS for trail in TRAILS]


def gbk(code):
    try:
        text = bytes([code >> 8, code & 0xFF]).decode("gbk")
    except UnicodeDecodeError:
        return None
    assert len(text) == 1, hex(code)
    return ord(text)


def build_pairs():
    pairs = {}
    for code in codes():
        unit = gbk(code)
        if unit is not None:
            pairs[code] = unit
    assigned = len(pairs)
    assert assigned == 21791, assigned

    used = {}
    for name, leads, trails, first in PRIVATE_USE_AREAS:
        unit = first
        for lead in leads:
            for trail in trails:
                code = (lead << 8) | trail
                if code not in pairs:
                    pairs[code] = unit
                    unit += 1
        used[name] = (first, unit - first)
    # Each area ends exactly where the next begins, and nothing leaves the private use area.
    spans = sorted(used.values())
    for (first, count), (next_first, _) in zip(spans, spans[1:]):
        assert first + count == next_first, hex(first)
    assert spans[-1][0] + spans[-1][1] - 1 == 0xE864
    assert len(pairs) == 23940
    check_gb18030(pairs)

    for code, unit in PAIR_OVERRIDES.items():
        assert code in pairs, hex(code)
        pairs[code] = unit
    units = list(pairs.values()) + list(range(0x80)) + list(SINGLE_BYTES.values())
    assert len(set(units)) == len(units), "two characters share a code unit"
    assert all(0 < unit < 0xD800 or 0xE000 <= unit <= 0xFFFF for unit in pairs.values())
    return pairs, assigned


def check_gb18030(pairs):
    """The area rule against the gb18030 codec, before any override."""
    differ = set()
    for code, unit in pairs.items():
        if gbk(code) is not None:
            continue
        text = bytes([code >> 8, code & 0xFF]).decode("gb18030")
        if len(text) != 1 or ord(text) != unit:
            differ.add(code)
    assert differ == GB18030_DIFFERS, sorted(hex(c) for c in differ ^ GB18030_DIFFERS)


def build_upper(pairs):
    reverse = {unit: code for code, unit in pairs.items()}
    changes, kept = {}, []
    for code, unit in sorted(pairs.items()):
        upper = chr(unit).upper()
        if len(upper) != 1 or upper == chr(unit):
            continue  # no 1:1 upper-case form
        # No upper-case form is a single byte.
        assert ord(upper) >= 0x80 and ord(upper) not in SINGLE_BYTES.values(), hex(code)
        target = reverse.get(ord(upper))
        if target is None:
            kept.append(code)
        else:
            changes[code] = target

    ranges = []
    for code in sorted(changes):
        delta = changes[code] - code
        if ranges and ranges[-1][1] + 1 == code and ranges[-1][2] == delta:
            ranges[-1][1] = code
        else:
            ranges.append([code, code, delta])
    ranges = [tuple(r) for r in ranges]
    assert len(changes) == EXPECTED_UPPER_COUNT, len(changes)
    assert ranges == EXPECTED_UPPER_RANGES, [tuple(hex(x) for x in r) for r in ranges]
    assert MUST_KEEP <= set(kept)
    return ranges, kept


def render(pairs, assigned, ranges, kept):
    out = []
    emit = out.append
    emit("// policy/cp936_table.inc -- code page 936 data, written by policy/cp936_generate.py: do not edit.")
    emit("// Included by policy/cp936.cpp only, inside its namespace.")
    emit("")
    emit("// Unicode form of the single bytes beyond ASCII.")
    for byte, unit in sorted(SINGLE_BYTES.items()):
        emit(f"constexpr char16_t kCp936Byte{byte:02X} = 0x{unit:04X};")
    emit("")
    emit(f"// Unicode form of every two-byte character: {assigned} assigned, "
         f"{len(pairs) - assigned} in the private use area.")
    emit("// Lead 81..FE, each with 190 trails: 40..7E, then 80..FE. Rows are labelled with their first code.")
    emit("constexpr char16_t kCp936PairUnicode[126 * 190] = {")
    for lead in LEADS:
        for row in _rows():
            cells = " ".join(f"0x{pairs[(lead << 8) | t]:04X}," for t in row)
            emit(f"/* {lead:02X}{row[0]:02X} */ {cells}")
    emit("};")
    emit("")
    emit("// Two-byte characters whose upper-case form is another two-byte character: first and last")
    emit("// code, and what to add to the code. Every other character is its own upper-case form,")
    emit(f"// including the {len(kept)} whose upper-case form code page 936 cannot hold:")
    line = "//"
    for code in kept:
        if len(line) + 5 > 100:
            emit(line)
            line = "//"
        line += f" {code:04X}"
    emit(line)
    emit("constexpr Cp936UpperRange kCp936UpperRanges[] = {")
    for first, last, delta in ranges:
        sign = "-" if delta < 0 else ""
        emit(f"    {{0x{first:04X}, 0x{last:04X}, {sign}0x{abs(delta):02X}}},")
    emit("};")
    return "\n".join(out) + "\n"


def _rows():
    # Eight trails a row, aligned to multiples of 8; no row straddles the hole at 7F.
    for half in (range(0x40, 0x7F), range(0x80, 0xFF)):
        trails = list(half)
        for start in range(0, len(trails), 8):
            yield trails[start:start + 8]


def parse_nls(path):
    """Single bytes and pairs of a Wine code page file (c_936.nls), for --compare-nls."""
    import struct
    data = open(path, "rb").read()
    words = struct.unpack(f"<{len(data) // 2}H", data[:len(data) // 2 * 2])
    pos = words[0]  # header size
    single = words[pos + 1:pos + 257]
    pos += 257
    if words[pos]:  # glyph table
        pos += 256
    pos += 1
    assert words[pos], "not a double-byte table"
    offsets = pos + 1
    pairs = {}
    for lead in range(256):
        base = words[offsets + lead]
        if base:
            for trail in range(256):
                pairs[(lead << 8) | trail] = words[offsets + base + trail]
    return single, pairs


def compare_nls(path, pairs):
    single, theirs = parse_nls(path)
    default = 0x3F
    diffs = []
    for byte in range(0x80):
        if single[byte] != byte:
            diffs.append(f"byte {byte:02X}: platform {single[byte]:04X}, ours {byte:04X}")
    for byte, unit in SINGLE_BYTES.items():
        if single[byte] != unit:
            diffs.append(f"byte {byte:02X}: platform {single[byte]:04X}, ours {unit:04X}")
    for lead in range(0x81, 0xFF):
        for trail in range(256):
            code = (lead << 8) | trail
            ours = pairs.get(code, default)
            if theirs.get(code) != ours:
                diffs.append(f"pair {code:04X}: platform {theirs.get(code, 0):04X}, ours {ours:04X}")
    for line in diffs:
        print(line)
    print(f"{len(diffs)} differences")
    return 1 if diffs else 0


def main(argv):
    pairs, assigned = build_pairs()
    if len(argv) == 3 and argv[1] == "--compare-nls":
        return compare_nls(argv[2], pairs)
    ranges, kept = build_upper(pairs)
    text = render(pairs, assigned, ranges, kept)
    if len(argv) == 2:
        with open(argv[1], "w", encoding="ascii", newline="\n") as out:
            out.write(text)
    elif len(argv) == 1:
        sys.stdout.buffer.write(text.encode("ascii"))
    else:
        print("usage: cp936_generate.py [OUTPUT | --compare-nls FILE]", file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
