// The resource runtime's readers: a module's resource container parsed and searched, and the
// version record read from a file on disk (an ELF file whose resource section holds the input, or
// the input as the file itself) and queried as programs query it.
#include "FuzzInput.h"
#include "TempFile.h"

#include "ResourceSet.h"
#include "ResourceTable.h"

#include <resources/Version.h>

#include <cstring>
#include <vector>

using namespace tolvar;

namespace {

void PutLe(std::vector<std::uint8_t>& out, std::size_t at, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The smallest 64-bit ELF file the section reader accepts: a header, the section, the section
// names and a table of three section headers (none, the names, the resources).
std::vector<std::uint8_t> ElfWithSection(std::span<const std::uint8_t> section) {
  static const char kNames[] = "\0.shstrtab\0.tolvar_rsrc";
  const std::size_t sectionAt = 64, namesAt = sectionAt + section.size();
  const std::size_t tableAt = (namesAt + sizeof kNames + 7) / 8 * 8;
  std::vector<std::uint8_t> file(tableAt + 3 * 64, 0);
  std::memcpy(file.data(), "\x7F" "ELF\x02\x01\x01", 7);
  PutLe(file, 0x28, tableAt, 8);
  PutLe(file, 0x3A, 64, 2);
  PutLe(file, 0x3C, 3, 2);
  PutLe(file, 0x3E, 1, 2);
  if (!section.empty()) std::memcpy(file.data() + sectionAt, section.data(), section.size());
  std::memcpy(file.data() + namesAt, kNames, sizeof kNames);
  auto header = [&](int index, std::uint32_t name, std::uint32_t type, std::size_t offset, std::size_t size) {
    const std::size_t at = tableAt + static_cast<std::size_t>(index) * 64;
    PutLe(file, at, name, 4);
    PutLe(file, at + 4, type, 4);
    PutLe(file, at + 24, offset, 8);
    PutLe(file, at + 32, size, 8);
  };
  header(1, 1, 3, namesAt, sizeof kNames);
  header(2, 11, 1, sectionAt, section.size());
  return file;
}

void QueryVersion(const std::string& path) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size == 0 || size > (64u << 20)) return;
  std::vector<BYTE> block(size);
  if (!GetFileVersionInfoA(path.c_str(), handle, size, block.data())) return;
  for (const char* query : {"\\", "\\VarFileInfo\\Translation", "\\StringFileInfo\\040904B0\\Comments",
                            "\\StringFileInfo\\040904b0\\ProductVersion", "\\StringFileInfo", "\\\\x\\"}) {
    LPVOID value = nullptr;
    UINT length = 0;
    if (VerQueryValueA(block.data(), query, &value, &length) && value && length) {
      // What is handed out must lie within the block.
      volatile BYTE touch = static_cast<const BYTE*>(value)[0];
      (void)touch;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static TempFile file("resources");
  FuzzInput input(data, size);
  const int mode = input.Below(3);
  const auto rest = input.Rest();
  switch (mode) {
    case 0: {  // a container
      const auto table = resources::ResourceTable::Parse(std::vector<BYTE>(rest.begin(), rest.end()));
      if (table) {
        for (const auto& entry : table->Entries()) table->Find(entry.type, entry.name, entry.language);
        table->Find({16, ""}, {1, ""}, std::nullopt);
        table->Find({0, "DATA"}, {0, "X"}, 0x0409);
      }
      QueryVersion(file.Write(ElfWithSection(rest)));
      break;
    }
    case 1: {  // a version record in a well-formed container
      std::vector<rc::Resource> set(1);
      set[0].type = rc::ResId::Number(rc::kRtVersion);
      set[0].name = rc::ResId::Number(1);
      set[0].data.assign(rest.begin(), rest.end());
      QueryVersion(file.Write(ElfWithSection(rc::WriteContainer(std::move(set)))));
      break;
    }
    default:  // the input as a file on disk
      QueryVersion(file.Write(rest));
      break;
  }
  return 0;
}
