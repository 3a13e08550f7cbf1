#include "VersionInfo.h"

#include "ByteWriter.h"

namespace tolvar::rc {
namespace {

void EncodeNode(ByteWriter& out, const VersionNode& node) {
  size_t start = out.Size();
  out.U16(0);  // length, patched below
  out.U16(node.valueLength);
  out.U16(node.text ? 1 : 0);
  out.Utf16z(node.key);
  out.AlignTo(4);
  out.Bytes(node.value);
  for (const VersionNode& child : node.children) {
    out.AlignTo(4);
    EncodeNode(out, child);
  }
  out.PatchU16(start, static_cast<std::uint16_t>(out.Size() - start));
}

}  // namespace

VersionNode VersionNode::Text(std::u16string key, const std::u16string& value) {
  VersionNode node;
  node.key = std::move(key);
  node.text = true;
  ByteWriter bytes;
  bytes.Utf16z(value);
  node.value = bytes.Take();
  node.valueLength = static_cast<std::uint16_t>(value.size() + 1);
  return node;
}

std::vector<std::uint8_t> EncodeVersionInfo(const FixedFileInfo& f, const std::vector<VersionNode>& blocks) {
  ByteWriter fixed;
  for (std::uint32_t v : {0xFEEF04BDu, 0x00010000u, f.fileVersionMS, f.fileVersionLS, f.productVersionMS,
                          f.productVersionLS, f.fileFlagsMask, f.fileFlags, f.fileOS, f.fileType,
                          f.fileSubtype, 0u, 0u})
    fixed.U32(v);
  VersionNode root;
  root.key = u"VS_VERSION_INFO";
  root.value = fixed.Take();
  root.valueLength = static_cast<std::uint16_t>(root.value.size());
  root.children = blocks;
  ByteWriter out;
  EncodeNode(out, root);
  return out.Take();
}

}  // namespace tolvar::rc
