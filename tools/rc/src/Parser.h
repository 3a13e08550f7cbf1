#pragma once
// The statements of a resource script, read from its preprocessed tokens into compiled resources.
#include "Dialog.h"
#include "Expression.h"
#include "Menu.h"
#include "ResourceSet.h"
#include "VersionInfo.h"

#include <array>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace tolvar::rc {

struct ParserOptions {
  std::vector<std::string> includeDirs;   // searched for referenced files after the script's folder
  std::uint16_t defaultLanguage = 0x0409; // until a LANGUAGE statement says otherwise
};

class Parser {
public:
  Parser(const std::vector<Token>& tokens, ParserOptions options);

  // Throws RcError at the first fault.
  std::vector<Resource> Parse();

  // The files that BITMAP, ICON, CURSOR and raw-data statements read.
  const std::vector<std::string>& FilesReferenced() const { return m_files; }

private:
  void Statement();
  ResId ParseName();
  ResId ParseTypeAfter(const Token& token);
  void SkipMemoryOptions();
  void ParseResourceOptions(std::uint16_t& language);
  std::uint16_t ParseLanguageArguments();

  void ParseStringTable();
  void ParseMenu(const ResId& name, const SourcePlace& place);
  std::vector<MenuItem> ParseMenuItems();
  void ParseDialog(const ResId& name, bool extended, const SourcePlace& place);
  DialogControl ParseControl(const Token& keyword, bool extended);
  void ParseVersionInfo(const ResId& name, const SourcePlace& place);
  VersionNode ParseVersionBlock();
  void ParseToolbar(const ResId& name, const SourcePlace& place);
  void ParseFileResource(const ResId& type, const ResId& name, const SourcePlace& place);
  void ParseIconFile(const ResId& name, bool cursor, const SourcePlace& place);
  void ParseRawData(const ResId& type, const ResId& name, const SourcePlace& place);

  ExprValue Expression();
  std::int64_t Integer() { return Expression().value; }
  std::int16_t Coordinate();
  std::u16string Text(const Token& string);
  NameOrOrdinal TextOrOrdinal();
  std::vector<std::uint8_t> ReadReferencedFile(const Token& name);
  void Add(ResId type, ResId name, std::uint16_t language, std::vector<std::uint8_t> data,
           const SourcePlace& place);

  TokenCursor m_cursor;
  ParserOptions m_options;
  std::uint16_t m_language;
  std::vector<Resource> m_resources;
  std::set<std::tuple<ResId, ResId, std::uint16_t>> m_seen;
  // String blocks by (language, block id); each holds the 16 strings of the block.
  std::map<std::pair<std::uint16_t, std::uint16_t>, std::array<std::optional<std::u16string>, 16>> m_strings;
  std::uint16_t m_nextIconId = 1;
  std::uint16_t m_nextCursorId = 1;
  std::vector<std::string> m_files;
};

}  // namespace tolvar::rc
