#include "DialogTemplate.h"

#include <base/CodePage.h>

#include <cstdint>

namespace tolvar::user {
namespace {

class Reader {
public:
  Reader(const BYTE* bytes, std::size_t size) : m_bytes(bytes), m_size(size) {}
  bool Ok() const { return m_ok; }
  std::size_t Position() const { return m_pos; }
  bool Has(std::size_t n) const { return m_ok && m_pos <= m_size && n <= m_size - m_pos; }
  WORD U16() {
    if (!Has(2)) return Fail();
    WORD v = static_cast<WORD>(m_bytes[m_pos] | (m_bytes[m_pos + 1] << 8));
    m_pos += 2;
    return v;
  }
  DWORD U32() {
    DWORD low = U16();
    return low | (static_cast<DWORD>(U16()) << 16);
  }
  short I16() { return static_cast<short>(U16()); }
  BYTE U8() {
    if (!Has(1)) return static_cast<BYTE>(Fail());
    return m_bytes[m_pos++];
  }
  std::string Text() {
    std::u16string wide;
    for (;;) {
      WORD c = U16();
      if (!m_ok || c == 0) break;
      wide.push_back(static_cast<char16_t>(c));
    }
    if (wide.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n, nullptr, nullptr);
    return text;
  }
  NameOrOrdinal Name() {
    NameOrOrdinal name;
    if (!Has(2)) {
      Fail();
      return name;
    }
    WORD first = static_cast<WORD>(m_bytes[m_pos] | (m_bytes[m_pos + 1] << 8));
    if (first == 0) {
      m_pos += 2;
    } else if (first == 0xFFFF) {
      m_pos += 2;
      name.isOrdinal = true;
      name.ordinal = U16();
    } else {
      name.text = Text();
    }
    return name;
  }
  // The padding before an item is part of the template: a template that ends inside it is cut short.
  void Align4() {
    const std::size_t aligned = (m_pos + 3) & ~static_cast<std::size_t>(3);
    if (aligned > m_size) {
      Fail();
      return;
    }
    m_pos = aligned;
  }
  std::vector<BYTE> Bytes(std::size_t n) {
    if (!Has(n)) {
      Fail();
      return {};
    }
    std::vector<BYTE> out(m_bytes + m_pos, m_bytes + m_pos + n);
    m_pos += n;
    return out;
  }

private:
  WORD Fail() {
    m_ok = false;
    return 0;
  }
  const BYTE* m_bytes;
  std::size_t m_size;
  std::size_t m_pos = 0;
  bool m_ok = true;
};

struct Predefined {
  WORD atom;
  const char* name;
};
constexpr Predefined kPredefined[] = {{0x80, "Button"},    {0x81, "Edit"},     {0x82, "Static"},
                                      {0x83, "ListBox"},   {0x84, "ScrollBar"}, {0x85, "ComboBox"}};

std::string ClassNameOf(const NameOrOrdinal& name) {
  if (!name.isOrdinal) return name.text;
  for (const Predefined& p : kPredefined) {
    if (p.atom == name.ordinal) return p.name;
  }
  return "#" + std::to_string(name.ordinal);
}

constexpr DWORD kSetFont = 0x40;  // DS_SETFONT

}  // namespace

std::optional<DialogTemplate> ParseDialogTemplate(const BYTE* bytes, std::size_t size) {
  if (!bytes) return std::nullopt;
  Reader r(bytes, size);
  DialogTemplate d;
  if (r.Has(4) && bytes[0] == 1 && bytes[1] == 0 && bytes[2] == 0xFF && bytes[3] == 0xFF) {
    d.extended = true;
    r.U32();  // version and signature
    d.helpId = r.U32();
    d.exStyle = r.U32();
    d.style = r.U32();
  } else {
    d.style = r.U32();
    d.exStyle = r.U32();
  }
  const WORD count = r.U16();
  d.x = r.I16();
  d.y = r.I16();
  d.cx = r.I16();
  d.cy = r.I16();
  d.menu = r.Name();
  d.className = r.Name();
  d.caption = r.Text();
  if (d.style & kSetFont) {
    d.hasFont = true;
    d.pointSize = r.U16();
    if (d.extended) {
      d.weight = r.U16();
      d.italic = r.U8();
      d.charset = r.U8();
    }
    d.face = r.Text();
  }
  for (WORD i = 0; i < count && r.Ok(); ++i) {
    r.Align4();
    DialogItemTemplate item;
    if (d.extended) {
      item.helpId = r.U32();
      item.exStyle = r.U32();
      item.style = r.U32();
    } else {
      item.style = r.U32();
      item.exStyle = r.U32();
    }
    item.x = r.I16();
    item.y = r.I16();
    item.cx = r.I16();
    item.cy = r.I16();
    item.id = d.extended ? r.U32() : r.U16();
    item.className = ClassNameOf(r.Name());
    item.title = r.Name();
    WORD extra = r.U16();
    // DLGTEMPLATE counts the WORD of the size among the creation data; DLGTEMPLATEEX does not.
    if (extra > 0) item.creationData = r.Bytes(d.extended ? extra : extra - 2u);
    d.items.push_back(std::move(item));
  }
  if (!r.Ok()) return std::nullopt;
  return d;
}

}  // namespace tolvar::user
