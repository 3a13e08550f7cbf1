#include "ResourceSet.h"

#include "ByteWriter.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <tuple>

namespace tolvar::rc {

ResId ResId::Name(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return ResId{std::move(name)};
}

std::string ResId::Describe() const {
  return IsNumber() ? std::to_string(AsNumber()) : "\"" + AsName() + "\"";
}

std::vector<std::uint8_t> WriteContainer(std::vector<Resource> resources) {
  constexpr std::uint32_t kHeaderSize = 16, kEntrySize = 20, kNameFlag = 0x80000000;
  std::sort(resources.begin(), resources.end(), [](const Resource& a, const Resource& b) {
    return std::tie(a.type, a.name, a.language) < std::tie(b.type, b.name, b.language);
  });

  // Names first, each once, right after the directory.
  ByteWriter names;
  std::map<std::string, std::uint32_t> nameOffsets;
  size_t directoryEnd = kHeaderSize + kEntrySize * resources.size();
  auto encode = [&](const ResId& id) -> std::uint32_t {
    if (id.IsNumber()) return id.AsNumber();
    auto [it, added] = nameOffsets.try_emplace(id.AsName(), 0);
    if (added) {
      it->second = static_cast<std::uint32_t>(directoryEnd + names.Size());
      for (char c : id.AsName()) names.U8(static_cast<std::uint8_t>(c));
      names.U8(0);
    }
    return kNameFlag | it->second;
  };
  std::vector<std::pair<std::uint32_t, std::uint32_t>> encoded;
  for (const auto& r : resources) encoded.emplace_back(encode(r.type), encode(r.name));

  ByteWriter out;
  for (char c : std::string_view("TRSC")) out.U8(static_cast<std::uint8_t>(c));
  out.U16(1);
  out.U16(kEntrySize);
  out.U32(static_cast<std::uint32_t>(resources.size()));
  size_t totalAt = out.Size();
  out.U32(0);
  size_t offset = directoryEnd + names.Size();
  for (size_t i = 0; i < resources.size(); ++i) {
    offset = (offset + 7) & ~size_t(7);
    out.U32(encoded[i].first);
    out.U32(encoded[i].second);
    out.U16(resources[i].language);
    out.U16(0);
    out.U32(static_cast<std::uint32_t>(offset));
    out.U32(static_cast<std::uint32_t>(resources[i].data.size()));
    offset += resources[i].data.size();
  }
  out.Bytes(names.Data());
  for (const auto& r : resources) {
    out.AlignTo(8);
    out.Bytes(r.data);
  }
  out.PatchU32(totalAt, static_cast<std::uint32_t>(out.Size()));
  return out.Take();
}

}  // namespace tolvar::rc
