#include "tests/gui/dialog_template.h"

#include <cstring>

namespace quillet {

namespace {

// A cursor over the template's words, checked against its end.
class TemplateReader {
 public:
  TemplateReader(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}

  bool ok() const { return ok_; }

  template <typename T>
  T take() {
    T value{};
    if (at_ + sizeof(T) > size_) {
      ok_ = false;
      return value;
    }
    std::memcpy(&value, data_ + at_, sizeof(T));
    at_ += sizeof(T);
    return value;
  }

  std::string takeString() {
    std::string text;
    for (WORD c; ok_ && (c = take<WORD>()) != 0;) text += static_cast<char>(c < 0x100 ? c : '?');
    return text;
  }

  // A name or a number: 0 for none, 0xFFFF and a number, or a string.
  void takeNameOrNumber(std::string& name, int& number) {
    const WORD first = take<WORD>();
    if (first == 0) return;
    if (first == 0xFFFF) {
      number = take<WORD>();
      return;
    }
    name = static_cast<char>(first);
    name += takeString();
  }

  void alignTo(std::size_t boundary) { at_ = (at_ + boundary - 1) / boundary * boundary; }
  void skip(std::size_t bytes) { at_ += bytes; }

 private:
  const unsigned char* data_;
  std::size_t size_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

std::string predefinedClass(int atom) {
  switch (atom) {
    case 0x80:
      return "Button";
    case 0x81:
      return "Edit";
    case 0x82:
      return "Static";
    case 0x83:
      return "ListBox";
    case 0x84:
      return "ScrollBar";
    case 0x85:
      return "ComboBox";
    default: {
      std::string name = "#";
      name += std::to_string(atom);
      return name;
    }
  }
}

}  // namespace

bool readDialogTemplate(HMODULE module, int templateId, DialogTemplate& result) {
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(templateId), MAKEINTRESOURCEA(5));
  if (found == nullptr) return false;
  HGLOBAL loaded = LoadResource(module, found);
  const auto* data = static_cast<const unsigned char*>(LockResource(loaded));
  if (data == nullptr) return false;
  TemplateReader reader(data, SizeofResource(module, found));

  result = DialogTemplate{};
  const WORD first = reader.take<WORD>();
  const WORD second = reader.take<WORD>();
  result.extended = first == 1 && second == 0xFFFF;
  if (result.extended) {
    reader.take<DWORD>();  // help id
    reader.take<DWORD>();  // extended style
    result.style = reader.take<DWORD>();
  } else {
    result.style = MAKELONG(first, second);
    reader.take<DWORD>();  // extended style
  }
  const WORD count = reader.take<WORD>();
  result.x = reader.take<SHORT>();
  result.y = reader.take<SHORT>();
  result.cx = reader.take<SHORT>();
  result.cy = reader.take<SHORT>();
  std::string ignoredName;
  int ignoredNumber = 0;
  reader.takeNameOrNumber(ignoredName, ignoredNumber);  // menu
  reader.takeNameOrNumber(ignoredName, ignoredNumber);  // window class
  result.title = reader.takeString();
  if ((result.style & DS_SETFONT) != 0) {
    result.pointSize = reader.take<WORD>();
    if (result.extended) {
      reader.take<WORD>();  // weight
      reader.take<BYTE>();  // italic
      reader.take<BYTE>();  // character set
    }
    result.font = reader.takeString();
  }

  for (WORD i = 0; i < count && reader.ok(); ++i) {
    reader.alignTo(4);
    TemplateControl control;
    if (result.extended) {
      reader.take<DWORD>();  // help id
      reader.take<DWORD>();  // extended style
      control.style = reader.take<DWORD>();
    } else {
      control.style = reader.take<DWORD>();
      reader.take<DWORD>();  // extended style
    }
    control.x = reader.take<SHORT>();
    control.y = reader.take<SHORT>();
    control.cx = reader.take<SHORT>();
    control.cy = reader.take<SHORT>();
    control.id = result.extended ? static_cast<int>(reader.take<DWORD>()) : reader.take<WORD>();
    int classAtom = -1;
    reader.takeNameOrNumber(control.className, classAtom);
    if (classAtom >= 0) control.className = predefinedClass(classAtom);
    reader.takeNameOrNumber(control.text, control.textOrdinal);
    reader.skip(reader.take<WORD>());  // creation data
    result.controls.push_back(control);
  }
  return reader.ok();
}

}  // namespace quillet
