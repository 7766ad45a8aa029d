#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/ascii.h"
#include "platform/registry.h"  // the type codes

namespace quillet {

// The REGEDIT4 registry file format, as Windows' regedit imports and exports it, for the
// keys below HKEY_CURRENT_USER. Pure text handling, no operating-system calls: the POSIX
// registry backend keeps its values in such a file, and the Windows tests import what
// this writes with reg.exe to prove the format is the real one.
/* For example:

   REGEDIT4

   [HKEY_CURRENT_USER\Software\Corvane Software\Quillet\v1.0]
   "options_palm_name"=hex:4d,79,20,42,6f,6f,6b,00,00,00,00,00,00,00,00,00,00,00,\
     00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00
   "flag"=dword:00000001
   "text"="C:\\Books\\\"Quoted\""
   @=hex(7):61,00,00
*/
// Written: the header "REGEDIT4", CR LF line ends, one section per key (every key of the
// tree, parents before children, empty keys too), hex lists wrapped with "\" at about 80
// columns. A value keeps its type and bytes exactly: REG_SZ is written as a quoted string
// only when its bytes are printable text followed by exactly one NUL, REG_DWORD as dword:
// only when it has exactly 4 bytes, REG_BINARY as hex:, everything else as hex(N):.
// (Registry editors add a NUL to string-typed hex data without one when importing; the
// file itself keeps the bytes as they were set.)
//
// Read: the header "REGEDIT4" or "Windows Registry Editor Version 5.00" (as 8-bit text),
// LF or CR LF line ends, blank lines, ";" comments, "\" continuations of hex lists.
// Anything else (other roots, deletions, unknown value forms) is an error: a file that is
// not understood must not be rewritten from the part that was.

struct RegistryTreeValue {
  std::string name;  // "" is the key's default value, written "@"
  std::uint32_t type = 0;
  std::vector<unsigned char> data;
};

struct RegistryTreeKey {
  std::string path;  // below HKEY_CURRENT_USER, components joined by '\'; "" for the root
  std::vector<RegistryTreeValue> values;

  // The value named `name` (ASCII case ignored), or null.
  RegistryTreeValue* findValue(std::string_view name);
  // Sets or replaces a value; a replaced value keeps its stored spelling.
  void setValue(std::string_view name, std::uint32_t type, std::vector<unsigned char> data);
};

// Every key in the file's order; a key always comes after its parent.
struct RegistryTree {
  std::vector<RegistryTreeKey> keys;

  // The key with this path (ASCII case ignored, "" for the root), or null. The root
  // exists only once something has been put into it or below it.
  RegistryTreeKey* findKey(std::string_view path);
  // The key with this path, made first with every missing parent. REQUIRES: path has no
  // empty component and no leading or trailing backslash.
  RegistryTreeKey& makeKey(std::string_view path);
};

// Parses a registry file. On failure returns false, leaves `tree` unspecified and sets
// `error` to a reason that names the line ("line 7: ...").
bool parseRegistryText(std::string_view text, RegistryTree& tree, std::string& error);

// The file for `tree`, byte for byte.
std::string formatRegistryText(const RegistryTree& tree);

}  // namespace quillet
