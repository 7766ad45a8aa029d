#!/usr/bin/env python3
"""Generates source/charset_tables.cpp, the character data of source/charset.cpp.

    tools/gen_charset_tables.py [UCD_FOLDER] > source/charset_tables.cpp

UCD_FOLDER is the Unicode Character Database (Debian: `apt-get install unicode-data`, which
puts it in /usr/share/unicode, the default). The HTML5 named character references come from
Python's own table (html.entities.html5). The generated file is committed; nothing needs
these inputs when the program is built or run.

The tables (declared in source/charset_tables.h):
- Windows-1252 both ways. The five bytes Windows-1252 leaves undefined (0x81 0x8D 0x8F
  0x90 0x9D) stand for U+0081 ... as browsers read them, so every byte round-trips.
- The upper case of each Windows-1252 letter that has a Windows-1252 capital.
- For code points Windows-1252 lacks, the closest text a reader would accept, in
  Windows-1252 bytes (see fallback_of below); code points with no entry become "?".
- Canonical decompositions, the primary composites (composition pairs, less the
  exclusions of CompositionExclusions.txt), the canonical combining classes and the code
  points after which or before which normalization has work to do, so that the decoder
  writes text in NFC before it writes it in Windows-1252.
- The HTML5 named character references: name -> one or two code points.
"""
import html.entities
import os
import re
import sys

UCD = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/unicode"

S_BASE, L_BASE, V_BASE, T_BASE = 0xAC00, 0x1100, 0x1161, 0x11A7
L_COUNT, V_COUNT, T_COUNT = 19, 21, 28
S_COUNT = L_COUNT * V_COUNT * T_COUNT


def ucd_lines(name):
    with open(os.path.join(UCD, name), encoding="utf-8") as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if line:
                yield [field.strip() for field in line.split(";")]


def code_range(field):
    if ".." in field:
        first, last = field.split("..")
        return range(int(first, 16), int(last, 16) + 1)
    return range(int(field, 16), int(field, 16) + 1)


# --- the Unicode Character Database -------------------------------------------------------

names, categories, combining, decompositions = {}, {}, {}, {}
pending_first = None
for fields in ucd_lines("UnicodeData.txt"):
    cp, name, gc, ccc, decomposition = int(fields[0], 16), fields[1], fields[2], int(fields[3]), fields[5]
    if name.endswith(", First>"):
        pending_first = cp
        continue
    span = range(pending_first, cp + 1) if name.endswith(", Last>") else range(cp, cp + 1)
    pending_first = None
    for c in span:
        names[c], categories[c] = name, gc
        if ccc:
            combining[c] = ccc
    if decomposition:
        parts = decomposition.split()
        compat = parts[0].startswith("<")
        decompositions[cp] = (compat, [int(p, 16) for p in (parts[1:] if compat else parts)])

exclusions = {c for fields in ucd_lines("CompositionExclusions.txt") for c in code_range(fields[0])}
ignorable = set()
for fields in ucd_lines("DerivedCoreProperties.txt"):
    if fields[1] == "Default_Ignorable_Code_Point":
        ignorable.update(code_range(fields[0]))
nfc_quick_check_not_yes, full_exclusion_listed = set(), set()
for fields in ucd_lines("DerivedNormalizationProps.txt"):
    if fields[1] == "NFC_QC" and fields[2] in ("N", "M"):
        nfc_quick_check_not_yes.update(code_range(fields[0]))
    if fields[1] == "Full_Composition_Exclusion":
        full_exclusion_listed.update(code_range(fields[0]))


def ccc(c):
    return combining.get(c, 0)


def decompose(c, compat):
    """The full (recursive) canonical, or compatibility, decomposition of c."""
    if S_BASE <= c < S_BASE + S_COUNT:
        index = c - S_BASE
        out = [L_BASE + index // (V_COUNT * T_COUNT), V_BASE + index % (V_COUNT * T_COUNT) // T_COUNT]
        if index % T_COUNT:
            out.append(T_BASE + index % T_COUNT)
        return out
    entry = decompositions.get(c)
    if entry is None or (entry[0] and not compat):
        return [c]
    return [d for part in entry[1] for d in decompose(part, compat)]


def reorder(chars):
    out = list(chars)
    i = 0
    while i < len(out):
        if ccc(out[i]) == 0:
            i += 1
            continue
        j = i
        while j < len(out) and ccc(out[j]) != 0:
            j += 1
        out[i:j] = sorted(out[i:j], key=ccc)  # sorted() is stable
        i = j
    return out


# Canonical decompositions into two code points whose composite is not excluded: the
# exclusions listed, singletons, and composites that start with a non-starter.
composites = {}
for c, (compat, parts) in decompositions.items():
    if compat or len(parts) != 2 or c in exclusions or ccc(c) or ccc(parts[0]):
        continue
    composites[(parts[0], parts[1])] = c
derived_exclusion = {c for c, (compat, parts) in decompositions.items()
                     if not compat and (len(parts) == 1 or c in exclusions or ccc(c) or ccc(parts[0]))}
assert derived_exclusion == full_exclusion_listed, "the composition exclusions do not agree"


def compose(chars):
    """Canonical composition of a sequence in canonical order (UAX #15)."""
    if not chars:
        return []
    result, starter = [chars[0]], 0
    last_class = 256 if ccc(chars[0]) else 0  # 256: no starter yet, nothing composes
    for c in chars[1:]:
        cc = ccc(c)
        composite = compose_pair(result[starter], c)
        if composite is not None and (last_class < cc or last_class == 0):
            result[starter] = composite
            continue
        if cc == 0:
            starter = len(result)
        last_class = cc
        result.append(c)
    return result


def compose_pair(a, b):
    if L_BASE <= a < L_BASE + L_COUNT and V_BASE <= b < V_BASE + V_COUNT:
        return S_BASE + ((a - L_BASE) * V_COUNT + (b - V_BASE)) * T_COUNT
    if S_BASE <= a < S_BASE + S_COUNT and (a - S_BASE) % T_COUNT == 0 and T_BASE < b < T_BASE + T_COUNT:
        return a + (b - T_BASE)
    return composites.get((a, b))


def nfc(chars):
    return compose(reorder([d for c in chars for d in decompose(c, False)]))


# --- Windows-1252 -------------------------------------------------------------------------

UNDEFINED_1252 = (0x81, 0x8D, 0x8F, 0x90, 0x9D)
to_unicode = []
for b in range(256):
    to_unicode.append(b if b in UNDEFINED_1252 else ord(bytes([b]).decode("cp1252")))
from_unicode = {cp: b for b, cp in enumerate(to_unicode)}
assert len(from_unicode) == 256


def upper_1252(b):
    fields_upper = upper_mappings.get(to_unicode[b])
    return from_unicode.get(fields_upper, b) if fields_upper is not None else b


upper_mappings = {}
for fields in ucd_lines("UnicodeData.txt"):
    if fields[12]:
        upper_mappings[int(fields[0], 16)] = int(fields[12], 16)


# --- fallbacks ----------------------------------------------------------------------------

# Typographic marks and letters with no decomposition whose closest form is not what the
# general rules below give. Values are text; each character in them must be Windows-1252.
HAND = {
    # letters without a decomposition that the name rule does not reach, and better forms
    0x0131: "i", 0x0237: "j", 0x0138: "k", 0x014A: "N", 0x014B: "n", 0x018F: "E", 0x0259: "e",
    0x01DD: "e", 0x0190: "E", 0x025B: "e", 0x0186: "O", 0x0254: "o", 0x1E9E: "SS",
    0x01B7: "Z", 0x0292: "z",
    # modifier letters used as quotation marks and prime marks
    0x02B9: "'", 0x02BA: '"', 0x02BB: "\u2018", 0x02BC: "'", 0x02BD: "\u2018", 0x02BE: "'",
    0x02BF: "\u2018", 0x02C8: "'", 0x02CA: "\u00B4", 0x02CB: "`", 0x02CC: ",", 0x02D0: ":",
    0x02D7: "-", 0x02DA: "\u00B0", 0x02DD: '"',
    # dashes, quotation marks, bullets
    0x2010: "-", 0x2011: "-", 0x2012: "-", 0x2015: "\u2014", 0x2016: "||", 0x2017: "_",
    0x201B: "\u2018", 0x201F: "\u201C", 0x2023: "\u2022", 0x2027: "\u00B7", 0x2032: "'",
    0x2033: '"', 0x2034: "'''", 0x2035: "`", 0x2036: '"', 0x2038: "^", 0x203B: "*",
    0x2043: "-", 0x2044: "/", 0x204E: "*", 0x2053: "~", 0x2E3A: "\u2014\u2014",
    0x2E3B: "\u2014\u2014\u2014", 0x2212: "-", 0x2796: "-", 0x2E17: "-",
    # line and paragraph separators
    0x2028: "\n", 0x2029: "\n",
    # mathematics
    0x2215: "/", 0x2216: "\\", 0x2217: "*", 0x2219: "\u00B7", 0x22C5: "\u00B7", 0x2223: "|",
    0x2236: ":", 0x223C: "~", 0x2248: "~", 0x2260: "!=", 0x2261: "==", 0x2264: "<=",
    0x2265: ">=", 0x226A: "<<", 0x226B: ">>",
    # arrows
    0x2190: "<-", 0x2192: "->", 0x2194: "<->", 0x2191: "^", 0x2193: "v", 0x21D0: "<=",
    0x21D2: "=>", 0x21D4: "<=>", 0x27F5: "<--", 0x27F6: "-->", 0x27F7: "<-->",
    0x27F8: "<==", 0x27F9: "==>", 0x27FA: "<==>",
    # currency
    0x20A4: "\u00A3",
}
# Emoji skin-tone modifiers vanish, as their joiners and variation selectors do.
VANISH = set(range(0x1F3FB, 0x1F400))

# Spacing clones of diacritics (a space and a combining mark) that Windows-1252 has.
SPACING_MARKS = {0x0301: 0xB4, 0x0308: 0xA8, 0x0304: 0xAF, 0x0327: 0xB8, 0x0302: 0x2C6, 0x0303: 0x2DC}

NEGATION = 0x0338  # COMBINING LONG SOLIDUS OVERLAY: "not <", "not =", ...
LATIN_WITH = re.compile(r"^LATIN (SMALL|CAPITAL) LETTER ([A-Z]) WITH ")


def in_1252(text):
    return all(ord(ch) in from_unicode for ch in text)


def simple_fallback(c):
    """The forms that need no decomposition: the hand list, spaces and line separators, and
    the characters that vanish; None when none applies."""
    if c in HAND:
        return HAND[c]
    gc = categories.get(c, "Cn")
    if gc == "Zs":
        return " "
    if gc in ("Zl", "Zp"):
        return "\n"
    if c in ignorable or c in VANISH or gc.startswith("M"):
        return ""
    return None


def name_fallback(c):
    """A Latin letter with no decomposition, named "... LETTER X WITH ...": X."""
    m = LATIN_WITH.match(names.get(c, ""))
    if m is None:
        return None
    return m.group(2) if m.group(1) == "CAPITAL" else m.group(2).lower()


def cluster_form(cluster):
    """A starter and its marks: the starter with each mark that still gives a Windows-1252
    character kept (u + diaeresis + acute gives u-diaeresis), the other marks dropped."""
    starter, marks = cluster[0], cluster[1:]
    if starter == 0x20 and marks:  # a spacing diacritic
        return chr(SPACING_MARKS[marks[0]]) if marks[0] in SPACING_MARKS else None
    if ccc(starter) != 0 or categories.get(starter, "Cn").startswith("M"):
        return ""  # marks with no starter
    current = starter
    for mark in marks:
        composite = compose_pair(current, mark)
        if composite is not None and composite in from_unicode:
            current = composite
    if current in from_unicode:
        return chr(current)
    simple = simple_fallback(current)
    return simple if simple is not None else name_fallback(current)


def fallback_of(c):
    """(text, exact) for a code point Windows-1252 lacks, or None for "?". exact: the text
    is the code point's own canonical equivalent, not a replacement."""
    canonical = "".join(map(chr, nfc([c])))
    if canonical != chr(c) and in_1252(canonical):
        return canonical, True
    simple = simple_fallback(c)
    if simple is not None:
        return simple, False
    by_name = name_fallback(c)
    decomposed = decompose(c, True)
    if NEGATION in decomposed:
        return None  # a negated sign without its stroke would say the opposite
    if decomposed == [c]:
        return (by_name, False) if by_name is not None else None
    clusters = []
    for d in decomposed:
        if clusters and ccc(d) != 0:
            clusters[-1].append(d)
        else:
            clusters.append([d])
    pieces = [cluster_form(cluster) for cluster in clusters]
    if any(p is None for p in pieces):
        return (by_name, False) if by_name is not None else None
    return "".join(pieces), False


def encode_1252(text):
    assert in_1252(text), text
    return bytes(from_unicode[ord(ch)] for ch in text)


# --- output -------------------------------------------------------------------------------

def c_string(data):
    """A C++ string literal of bytes: printable ASCII as itself, the rest in three-digit
    octal (which no following digit can extend)."""
    out = []
    for b in data:
        if 0x20 <= b < 0x7F and b not in (0x22, 0x5C, 0x3F):
            out.append(chr(b))
        else:
            out.append("\\%03o" % b)
    return '"' + "".join(out) + '"'


def emit_rows(rows, per_line, indent="    "):
    lines, line = [], indent
    for row in rows:
        if len(line) + len(row) + 1 > 100 or line.count("{") >= per_line:
            lines.append(line.rstrip())
            line = indent
        line += row + ", "
    if line.strip():
        lines.append(line.rstrip())
    return "\n".join(lines)


def ranges_of(code_points):
    out = []
    for c in sorted(code_points):
        if out and out[-1][1] == c - 1:
            out[-1][1] = c
        else:
            out.append([c, c])
    return out


def main():
    out = []
    w = out.append
    w("// Generated by tools/gen_charset_tables.py from the Unicode Character Database")
    w("// (UnicodeData.txt %s) and Python's HTML5 entity table. Do not edit." % unicode_version())
    w("// clang-format off")
    w('#include "source/charset_tables.h"')
    w("")
    w("namespace quillet::charset_data {")
    w("")

    w("const char16_t kWindows1252ToUnicode[256] = {")
    w(emit_rows(["0x%04X" % cp for cp in to_unicode], 12))
    w("};")
    w("")
    high = sorted((cp, b) for cp, b in from_unicode.items() if cp > 0xFF)
    assert len(high) == 27
    w("const Windows1252High kWindows1252High[27] = {")
    w(emit_rows(["{0x%04X, 0x%02X}" % row for row in high], 6))
    w("};")
    w("")
    w("const unsigned char kWindows1252Upper[256] = {")
    w(emit_rows(["0x%02X" % upper_1252(b) for b in range(256)], 16))
    w("};")
    w("")

    # Fallbacks: one row per run of consecutive code points with the same text.
    pool, pool_index, rows = bytearray(), {}, []
    for c in range(0x80, 0x110000):
        if c in from_unicode or (0xD800 <= c <= 0xDFFF):
            continue
        if 0x80 <= c <= 0x9F:
            # C1 controls in a Unicode text are, almost always, Windows-1252 bytes that were
            # taken for ISO-8859-1 on the way: read them as those bytes.
            found = (chr(to_unicode[c]), False)
        else:
            found = fallback_of(c)
        if found is None:
            continue
        text, exact = found
        data = encode_1252(text)
        if data not in pool_index:
            at = pool.find(data) if data else 0
            if at < 0:
                at = len(pool)
                pool += data
            pool_index[data] = at
        key = (pool_index[data], len(data), exact)
        if rows and rows[-1][1] == c - 1 and rows[-1][2] == key:
            rows[-1][1] = c
        else:
            rows.append([c, c, key])
    assert len(pool) < 0x10000 and all(len(d) < 256 for d in pool_index)
    w("// Every text a fallback row points into.")
    w("const char kFallbackText[] =")
    for i in range(0, len(pool), 24):
        w("    " + c_string(pool[i:i + 24]))
    w("    ;")
    w("")
    w("static const FallbackRange kFallbackRows[] = {")
    w(emit_rows(["{0x%X, 0x%X, %d, %d, %d}" % (a, b, k[0], k[1], int(k[2])) for a, b, k in rows], 4))
    w("};")
    w("const std::span<const FallbackRange> kFallbacks(kFallbackRows);")
    w("")

    canonical = sorted((c, parts) for c, (compat, parts) in decompositions.items() if not compat)
    index_of = {c: i for i, (c, _) in enumerate(canonical)}
    w("static const CanonicalDecomposition kCanonicalRows[] = {")
    w(emit_rows(["{0x%X, 0x%X, 0x%X}" % (c, parts[0], parts[1] if len(parts) > 1 else 0)
                 for c, parts in canonical], 4))
    w("};")
    w("const std::span<const CanonicalDecomposition> kCanonicalDecompositions(kCanonicalRows);")
    w("")
    assert len(canonical) < 0x10000
    w("static const std::uint16_t kCompositionRows[] = {")
    w(emit_rows(["%d" % index_of[c] for _, c in sorted(composites.items())], 14))
    w("};")
    w("const std::span<const std::uint16_t> kCompositions(kCompositionRows);")
    w("")
    classes = []
    for c in sorted(combining):
        if classes and classes[-1][1] == c - 1 and classes[-1][2] == combining[c]:
            classes[-1][1] = c
        else:
            classes.append([c, c, combining[c]])
    w("static const CombiningClass kCombiningClassRows[] = {")
    w(emit_rows(["{0x%X, 0x%X, %d}" % tuple(r) for r in classes], 5))
    w("};")
    w("const std::span<const CombiningClass> kCombiningClasses(kCombiningClassRows);")
    w("")
    # A code point starts a stretch that normalization leaves alone when its class is 0 and
    # its NFC quick check is Yes; the others are listed.
    busy = set(combining) | nfc_quick_check_not_yes
    assert min(busy) >= 0x300
    w("static const CodePointRange kNormalizationRows[] = {")
    w(emit_rows(["{0x%X, 0x%X}" % tuple(r) for r in ranges_of(busy)], 6))
    w("};")
    w("const std::span<const CodePointRange> kNeedsNormalization(kNormalizationRows);")
    w("")

    entities = sorted(html.entities.html5.items())
    # source/html_entities.cpp relies on these lengths (kLongestHtml5Name, kLongestLegacyName).
    assert max(len(name) for name, _ in entities) <= 32
    assert max(len(name) for name, _ in entities if not name.endswith(";")) <= 6
    names_pool, entity_rows = "", []
    for name, value in entities:
        assert 1 <= len(value) <= 2 and re.fullmatch(r"[A-Za-z0-9]+;?", name)
        entity_rows.append("{%d, %d, 0x%X, 0x%X}" % (len(names_pool), len(name), ord(value[0]),
                                                    ord(value[1]) if len(value) > 1 else 0))
        names_pool += name
    w("const char kHtml5EntityNames[] =")
    for i in range(0, len(names_pool), 90):
        w('    "%s"' % names_pool[i:i + 90])
    w("    ;")
    w("")
    w("static const Html5Entity kHtml5EntityRows[] = {")
    w(emit_rows(entity_rows, 4))
    w("};")
    w("const std::span<const Html5Entity> kHtml5Entities(kHtml5EntityRows);")
    w("")
    w("}  // namespace quillet::charset_data")
    print("\n".join(out))
    print("rows: %d fallbacks (%d bytes of text), %d decompositions, %d compositions, %d class "
          "ranges, %d normalization ranges, %d entities" %
          (len(rows), len(pool), len(canonical), len(composites), len(classes),
           len(ranges_of(busy)), len(entities)), file=sys.stderr)


def unicode_version():
    with open(os.path.join(UCD, "ReadMe.txt"), encoding="utf-8") as f:
        m = re.search(r"Version (\d+\.\d+\.\d+)", f.read())
    return "Unicode " + m.group(1) if m else "Unicode"


if __name__ == "__main__":
    main()
