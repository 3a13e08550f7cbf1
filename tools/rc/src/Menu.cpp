#include "Menu.h"

#include "ByteWriter.h"

namespace tolvar::rc {
namespace {

void EncodeLevel(ByteWriter& out, const std::vector<MenuItem>& items) {
  for (size_t i = 0; i < items.size(); ++i) {
    const MenuItem& item = items[i];
    std::uint16_t options = item.options;
    if (item.popup) options |= kMfPopup;
    if (i + 1 == items.size()) options |= kMfEnd;
    out.U16(options);
    if (!item.popup) out.U16(item.id);
    out.Utf16z(item.text);
    if (item.popup) EncodeLevel(out, item.children);
  }
}

}  // namespace

std::vector<std::uint8_t> EncodeMenu(const std::vector<MenuItem>& items) {
  ByteWriter out;
  out.U16(0);  // version
  out.U16(0);  // header size
  EncodeLevel(out, items);
  return out.Take();
}

}  // namespace tolvar::rc
