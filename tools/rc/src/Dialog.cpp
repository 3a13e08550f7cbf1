#include "Dialog.h"

#include "ByteWriter.h"

namespace tolvar::rc {
namespace {

void WriteNameOrOrdinal(ByteWriter& out, const NameOrOrdinal& value) {
  switch (value.kind) {
    case NameOrOrdinal::Kind::None: out.U16(0); break;
    case NameOrOrdinal::Kind::Ordinal: out.U16(0xFFFF), out.U16(value.ordinal); break;
    case NameOrOrdinal::Kind::Text: out.Utf16z(value.text); break;
  }
}

}  // namespace

std::vector<std::uint8_t> EncodeDialog(const DialogTemplate& d) {
  ByteWriter out;
  std::uint32_t style = d.style | (d.hasFont ? kDsSetFont : 0);
  if (d.extended) {
    out.U16(1);       // dlgVer
    out.U16(0xFFFF);  // signature
    out.U32(d.helpId);
    out.U32(d.exStyle);
    out.U32(style);
  } else {
    out.U32(style);
    out.U32(d.exStyle);
  }
  out.U16(static_cast<std::uint16_t>(d.controls.size()));
  out.I16(d.x), out.I16(d.y), out.I16(d.cx), out.I16(d.cy);
  WriteNameOrOrdinal(out, d.menu);
  WriteNameOrOrdinal(out, d.windowClass);
  out.Utf16z(d.caption);
  if (d.hasFont) {
    out.U16(d.pointSize);
    if (d.extended) {
      out.U16(d.weight);
      out.U8(d.italic);
      out.U8(d.charset);
    }
    out.Utf16z(d.typeface);
  }
  for (const DialogControl& c : d.controls) {
    out.AlignTo(4);
    if (d.extended) {
      out.U32(c.helpId);
      out.U32(c.exStyle);
      out.U32(c.style);
    } else {
      out.U32(c.style);
      out.U32(c.exStyle);
    }
    out.I16(c.x), out.I16(c.y), out.I16(c.cx), out.I16(c.cy);
    if (d.extended) out.U32(c.id);
    else out.U16(static_cast<std::uint16_t>(c.id));
    WriteNameOrOrdinal(out, c.windowClass);
    WriteNameOrOrdinal(out, c.title);
    out.U16(0);  // no creation data
  }
  return out.Take();
}

}  // namespace tolvar::rc
