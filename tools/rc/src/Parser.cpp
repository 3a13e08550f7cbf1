#include "Parser.h"

#include "ByteWriter.h"
#include "ImageFiles.h"
#include "Utf.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace tolvar::rc {
namespace {

constexpr std::uint32_t kWsPopup = 0x80000000, kWsChild = 0x40000000, kWsVisible = 0x10000000;
constexpr std::uint32_t kWsCaption = 0x00C00000, kWsBorder = 0x00800000, kWsSysMenu = 0x00080000;
constexpr std::uint32_t kWsGroup = 0x00020000, kWsTabStop = 0x00010000;

constexpr std::string_view kMemoryOptions[] = {"PRELOAD", "LOADONCALL", "MOVEABLE", "DISCARDABLE",
                                               "PURE", "IMPURE", "FIXED", "SHARED", "NONSHARED"};

struct MenuOption {
  std::string_view keyword;
  std::uint16_t flag;
};
constexpr MenuOption kMenuOptions[] = {{"GRAYED", kMfGrayed},       {"INACTIVE", kMfDisabled},
                                       {"CHECKED", kMfChecked},     {"MENUBREAK", kMfMenuBreak},
                                       {"MENUBARBREAK", kMfMenuBarBreak}, {"HELP", kMfHelp}};

// The control statements: the class they make and the style bits they start from (besides
// WS_CHILD | WS_VISIBLE), as the Windows compiler has them. A combo box's kind is a number in its
// two low bits, not a set of flags: a kind given in the statement replaces the default CBS_SIMPLE
// (ORed in, CBS_DROPDOWN would become CBS_DROPDOWNLIST).
struct ControlKind {
  std::string_view keyword;
  std::uint16_t atom;
  std::uint32_t style;
  bool hasText;
  std::uint32_t kindBits = 0;  // default bits dropped when the given style names any of them
};
constexpr ControlKind kControls[] = {
    {"LTEXT", kAtomStatic, 0x0 | kWsGroup, true},
    {"RTEXT", kAtomStatic, 0x2 | kWsGroup, true},
    {"CTEXT", kAtomStatic, 0x1 | kWsGroup, true},
    {"ICON", kAtomStatic, 0x3, true},
    {"PUSHBUTTON", kAtomButton, 0x0 | kWsTabStop, true},
    {"DEFPUSHBUTTON", kAtomButton, 0x1 | kWsTabStop, true},
    {"CHECKBOX", kAtomButton, 0x2 | kWsTabStop, true},
    {"AUTOCHECKBOX", kAtomButton, 0x3 | kWsTabStop, true},
    {"RADIOBUTTON", kAtomButton, 0x4, true},
    {"GROUPBOX", kAtomButton, 0x7, true},
    {"AUTORADIOBUTTON", kAtomButton, 0x9, true},
    {"EDITTEXT", kAtomEdit, 0x0 | kWsBorder | kWsTabStop, false},
    {"LISTBOX", kAtomListBox, 0x1 | kWsBorder, false},
    {"COMBOBOX", kAtomComboBox, 0x1 | kWsTabStop, false, 0x3},
    {"SCROLLBAR", kAtomScrollBar, 0x0, false},
};

struct ClassAtom {
  std::string_view name;
  std::uint16_t atom;
};
constexpr ClassAtom kClassAtoms[] = {{"BUTTON", kAtomButton},   {"EDIT", kAtomEdit},
                                     {"STATIC", kAtomStatic},   {"LISTBOX", kAtomListBox},
                                     {"SCROLLBAR", kAtomScrollBar}, {"COMBOBOX", kAtomComboBox}};

struct NamedType {
  std::string_view keyword;
  std::uint16_t type;
};
constexpr NamedType kRawDataTypes[] = {{"RCDATA", kRtRcData}, {"DLGINIT", kRtDlgInit}, {"HTML", 23}};
constexpr std::string_view kUnsupportedTypes[] = {"ACCELERATORS", "MENUEX", "FONT", "FONTDIR",
                                                  "MESSAGETABLE", "PLUGPLAY", "VXD", "ANICURSOR",
                                                  "ANIICON", "DIALOGEX_RESERVED"};

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

bool IsOneOf(const Token& token, std::span<const std::string_view> words) {
  return std::any_of(words.begin(), words.end(), [&](std::string_view w) { return token.IsKeyword(w); });
}

}  // namespace

Parser::Parser(const std::vector<Token>& tokens, ParserOptions options)
    : m_cursor(tokens), m_options(std::move(options)), m_language(m_options.defaultLanguage) {}

std::vector<Resource> Parser::Parse() {
  while (!m_cursor.AtEnd()) Statement();
  for (auto& [key, strings] : m_strings) {
    ByteWriter block;
    for (const auto& text : strings) {
      block.U16(static_cast<std::uint16_t>(text ? text->size() : 0));
      if (text)
        for (char16_t c : *text) block.U16(c);
    }
    m_resources.push_back(Resource{ResId::Number(kRtString), ResId::Number(key.second), key.first, block.Take()});
  }
  return std::move(m_resources);
}

void Parser::Statement() {
  const Token& first = m_cursor.Peek();
  if (first.IsKeyword("LANGUAGE")) {
    m_cursor.Next();
    m_language = ParseLanguageArguments();
    return;
  }
  if (first.IsKeyword("STRINGTABLE")) {
    m_cursor.Next();
    ParseStringTable();
    return;
  }
  SourcePlace place = first.place;
  ResId name = ParseName();
  const Token& typeToken = m_cursor.Next();
  if (typeToken.kind == TokenKind::End) throw RcError(place, "resource " + name.Describe() + " has no type");

  if (typeToken.IsKeyword("MENU")) return ParseMenu(name, place);
  if (typeToken.IsKeyword("DIALOG")) return ParseDialog(name, false, place);
  if (typeToken.IsKeyword("DIALOGEX")) return ParseDialog(name, true, place);
  if (typeToken.IsKeyword("VERSIONINFO")) return ParseVersionInfo(name, place);
  if (typeToken.IsKeyword("TOOLBAR")) return ParseToolbar(name, place);
  if (typeToken.IsKeyword("ICON") || typeToken.IsKeyword("CURSOR")) {
    SkipMemoryOptions();
    return ParseIconFile(name, typeToken.IsKeyword("CURSOR"), place);
  }
  if (typeToken.IsKeyword("BITMAP")) {
    SkipMemoryOptions();
    return ParseFileResource(ResId::Number(kRtBitmap), name, place);
  }
  if (IsOneOf(typeToken, kUnsupportedTypes))
    throw RcError(typeToken.place, Upper(typeToken.text) + " resources are not supported");
  ResId type = ParseTypeAfter(typeToken);
  SkipMemoryOptions();
  if (m_cursor.Peek().kind == TokenKind::String) return ParseFileResource(type, name, place);
  ParseRawData(type, name, place);
}

ResId Parser::ParseName() {
  const Token& token = m_cursor.Peek();
  if (token.kind == TokenKind::Identifier) {
    m_cursor.Next();
    return ResId::Name(token.text);
  }
  if (token.kind == TokenKind::String) {
    m_cursor.Next();
    if (token.value.empty()) throw RcError(token.place, "empty resource name");
    return ResId::Name(token.value);
  }
  if (!StartsExpression(token)) m_cursor.Fail("expected a resource name or number");
  SourcePlace place = token.place;
  std::int64_t id = Integer();
  if (id < 0 || id > 0xFFFF) throw RcError(place, "resource number " + std::to_string(id) + " out of range");
  return ResId::Number(static_cast<std::uint16_t>(id));
}

ResId Parser::ParseTypeAfter(const Token& token) {
  for (const auto& named : kRawDataTypes)
    if (token.IsKeyword(named.keyword)) return ResId::Number(named.type);
  if (token.kind == TokenKind::Identifier) return ResId::Name(token.text);
  if (token.kind == TokenKind::String && !token.value.empty()) return ResId::Name(token.value);
  if (token.kind == TokenKind::Number && token.number > 0 && token.number <= 0xFFFF)
    return ResId::Number(static_cast<std::uint16_t>(token.number));
  throw RcError(token.place, "expected a resource type");
}

void Parser::SkipMemoryOptions() {
  while (IsOneOf(m_cursor.Peek(), kMemoryOptions)) m_cursor.Next();
}

void Parser::ParseResourceOptions(std::uint16_t& language) {
  for (;;) {
    SkipMemoryOptions();
    if (m_cursor.AcceptKeyword("LANGUAGE")) {
      language = ParseLanguageArguments();
    } else if (m_cursor.AcceptKeyword("CHARACTERISTICS") || m_cursor.AcceptKeyword("VERSION")) {
      Integer();  // kept by nothing that reads resources
    } else {
      return;
    }
  }
}

std::uint16_t Parser::ParseLanguageArguments() {
  std::int64_t primary = Integer();
  m_cursor.Expect(",", "',' between language and sub-language");
  std::int64_t sub = Integer();
  return static_cast<std::uint16_t>(((sub & 0x3F) << 10) | (primary & 0x3FF));
}

// ---- STRINGTABLE ------------------------------------------------------------------------------

void Parser::ParseStringTable() {
  std::uint16_t language = m_language;
  ParseResourceOptions(language);
  m_cursor.ExpectBegin();
  while (!m_cursor.AcceptEnd()) {
    SourcePlace place = m_cursor.Peek().place;
    std::int64_t id = Integer();
    if (id < 0 || id > 0xFFFF) throw RcError(place, "string id " + std::to_string(id) + " out of range");
    m_cursor.Accept(",");
    std::u16string text = Text(m_cursor.ExpectString("a string"));
    auto& slot = m_strings[{language, static_cast<std::uint16_t>(id / 16 + 1)}][id % 16];
    if (slot) throw RcError(place, "string id " + std::to_string(id) + " defined twice");
    if (text.size() > 0xFFFF) throw RcError(place, "string too long");
    slot = std::move(text);
  }
}

// ---- MENU -------------------------------------------------------------------------------------

void Parser::ParseMenu(const ResId& name, const SourcePlace& place) {
  std::uint16_t language = m_language;
  ParseResourceOptions(language);
  m_cursor.ExpectBegin();
  std::vector<MenuItem> items = ParseMenuItems();
  if (items.empty()) throw RcError(place, "empty menu");
  Add(ResId::Number(kRtMenu), name, language, EncodeMenu(items), place);
}

std::vector<MenuItem> Parser::ParseMenuItems() {
  std::vector<MenuItem> items;
  while (!m_cursor.AcceptEnd()) {
    const Token& keyword = m_cursor.Next();
    MenuItem item;
    if (keyword.IsKeyword("MENUITEM")) {
      if (m_cursor.AcceptKeyword("SEPARATOR")) {
        items.push_back(item);
        continue;
      }
      item.text = Text(m_cursor.ExpectString("the entry's text"));
      m_cursor.Expect(",", "',' before the command id");
      item.id = static_cast<std::uint16_t>(Integer());
    } else if (keyword.IsKeyword("POPUP")) {
      item.popup = true;
      item.text = Text(m_cursor.ExpectString("the pop-up's text"));
    } else {
      throw RcError(keyword.place, "expected MENUITEM, POPUP or END");
    }
    // Options follow, separated by commas or blanks.
    for (;;) {
      size_t skip = m_cursor.Peek().IsPunct(",") ? 1 : 0;
      auto option = std::find_if(std::begin(kMenuOptions), std::end(kMenuOptions),
                                 [&](const MenuOption& o) { return m_cursor.Peek(skip).IsKeyword(o.keyword); });
      if (option == std::end(kMenuOptions)) break;
      if (skip) m_cursor.Next();
      m_cursor.Next();
      item.options |= option->flag;
    }
    if (item.popup) {
      SourcePlace popupPlace = keyword.place;
      m_cursor.ExpectBegin();
      item.children = ParseMenuItems();
      if (item.children.empty()) throw RcError(popupPlace, "empty pop-up menu");
    }
    items.push_back(std::move(item));
  }
  return items;
}

// ---- DIALOG and DIALOGEX ----------------------------------------------------------------------

void Parser::ParseDialog(const ResId& name, bool extended, const SourcePlace& place) {
  DialogTemplate dialog;
  dialog.extended = extended;
  SkipMemoryOptions();
  dialog.x = Coordinate();
  m_cursor.Expect(",", "','");
  dialog.y = Coordinate();
  m_cursor.Expect(",", "','");
  dialog.cx = Coordinate();
  m_cursor.Expect(",", "','");
  dialog.cy = Coordinate();
  if (extended && m_cursor.Accept(",")) dialog.helpId = static_cast<std::uint32_t>(Integer());

  std::uint16_t language = m_language;
  std::optional<std::uint32_t> style;
  bool hasCaption = false;
  for (;;) {
    ParseResourceOptions(language);
    if (m_cursor.AcceptKeyword("STYLE")) {
      style = Expression().Bits();
    } else if (m_cursor.AcceptKeyword("EXSTYLE")) {
      dialog.exStyle = Expression().Bits();
    } else if (m_cursor.AcceptKeyword("CAPTION")) {
      dialog.caption = Text(m_cursor.ExpectString("the caption"));
      hasCaption = true;
    } else if (m_cursor.AcceptKeyword("FONT")) {
      dialog.hasFont = true;
      dialog.pointSize = static_cast<std::uint16_t>(Integer());
      m_cursor.Expect(",", "',' before the typeface");
      dialog.typeface = Text(m_cursor.ExpectString("the typeface"));
      if (extended && m_cursor.Accept(",")) {
        dialog.weight = static_cast<std::uint16_t>(Integer());
        m_cursor.Expect(",", "',' before the italic flag");
        dialog.italic = static_cast<std::uint8_t>(Integer());
        if (m_cursor.Accept(",")) dialog.charset = static_cast<std::uint8_t>(Integer());
      }
    } else if (m_cursor.AcceptKeyword("MENU")) {
      ResId menu = ParseName();
      dialog.menu = menu.IsNumber() ? NameOrOrdinal::Ordinal(menu.AsNumber())
                                    : NameOrOrdinal::Text(*Utf8ToUtf16(menu.AsName()));
    } else if (m_cursor.AcceptKeyword("CLASS")) {
      const Token& token = m_cursor.Peek();
      if (token.kind == TokenKind::String) {
        dialog.windowClass = NameOrOrdinal::Text(Text(m_cursor.Next()));
      } else {
        dialog.windowClass = NameOrOrdinal::Ordinal(static_cast<std::uint16_t>(Integer()));
      }
    } else {
      break;
    }
  }
  // Without STYLE a dialog is a pop-up with a border and a system menu; a caption brings its bar.
  dialog.style = style.value_or(kWsPopup | kWsBorder | kWsSysMenu) | (hasCaption ? kWsCaption : 0);

  m_cursor.ExpectBegin();
  while (!m_cursor.AcceptEnd()) {
    const Token& keyword = m_cursor.Next();
    dialog.controls.push_back(ParseControl(keyword, extended));
  }
  if (dialog.controls.size() > 0xFFFF) throw RcError(place, "too many controls");
  Add(ResId::Number(kRtDialog), name, language, EncodeDialog(dialog), place);
}

DialogControl Parser::ParseControl(const Token& keyword, bool extended) {
  DialogControl control;
  auto readTail = [&](std::uint32_t defaults, std::uint32_t kindBits) {
    control.style = kWsChild | kWsVisible | defaults;
    if (!m_cursor.Accept(",")) return;
    ExprValue given = Expression();
    if (static_cast<std::uint32_t>(given.value) & kindBits) defaults &= ~kindBits;
    control.style = given.Style(kWsChild | kWsVisible | defaults);
    if (!m_cursor.Accept(",")) return;
    control.exStyle = Expression().Bits();
    if (extended && m_cursor.Accept(",")) control.helpId = static_cast<std::uint32_t>(Integer());
  };

  if (keyword.IsKeyword("CONTROL")) {
    control.title = TextOrOrdinal();
    m_cursor.Expect(",", "',' after the text");
    control.id = static_cast<std::uint32_t>(Integer());
    m_cursor.Expect(",", "',' before the class");
    const Token& cls = m_cursor.Peek();
    std::string className = cls.kind == TokenKind::String ? cls.value
                            : cls.kind == TokenKind::Identifier ? cls.text : std::string();
    auto atom = std::find_if(std::begin(kClassAtoms), std::end(kClassAtoms),
                             [&](const ClassAtom& a) { return Upper(className) == a.name; });
    if (atom != std::end(kClassAtoms)) {
      m_cursor.Next();
      control.windowClass = NameOrOrdinal::Ordinal(atom->atom);
    } else if (cls.kind == TokenKind::String) {
      control.windowClass = NameOrOrdinal::Text(Text(m_cursor.Next()));
    } else if (cls.kind == TokenKind::Identifier) {
      throw RcError(cls.place, "unknown control class " + cls.text);
    } else {
      control.windowClass = NameOrOrdinal::Ordinal(static_cast<std::uint16_t>(Integer()));
    }
    m_cursor.Expect(",", "',' before the style");
    control.style = Expression().Style(kWsChild | kWsVisible);
    for (std::int16_t* field : {&control.x, &control.y, &control.cx, &control.cy}) {
      m_cursor.Expect(",", "','");
      *field = Coordinate();
    }
    if (m_cursor.Accept(",")) {
      control.exStyle = Expression().Bits();
      if (extended && m_cursor.Accept(",")) control.helpId = static_cast<std::uint32_t>(Integer());
    }
    return control;
  }

  auto kind = std::find_if(std::begin(kControls), std::end(kControls),
                           [&](const ControlKind& k) { return keyword.IsKeyword(k.keyword); });
  if (kind == std::end(kControls)) throw RcError(keyword.place, "unknown control statement '" + keyword.text + "'");
  control.windowClass = NameOrOrdinal::Ordinal(kind->atom);
  if (kind->hasText) {
    control.title = TextOrOrdinal();
    m_cursor.Expect(",", "',' after the text");
  } else {
    control.title = NameOrOrdinal::Text(u"");
  }
  control.id = static_cast<std::uint32_t>(Integer());
  m_cursor.Expect(",", "','");
  control.x = Coordinate();
  m_cursor.Expect(",", "','");
  control.y = Coordinate();
  if (keyword.IsKeyword("ICON")) {
    // An icon's size is optional: the image decides it.
    control.style = kWsChild | kWsVisible | kind->style;
    if (!m_cursor.Accept(",")) return control;
    control.cx = Coordinate();
    m_cursor.Expect(",", "','");
    control.cy = Coordinate();
    readTail(kind->style, kind->kindBits);
    return control;
  }
  m_cursor.Expect(",", "','");
  control.cx = Coordinate();
  m_cursor.Expect(",", "','");
  control.cy = Coordinate();
  readTail(kind->style, kind->kindBits);
  return control;
}

// ---- VERSIONINFO ------------------------------------------------------------------------------

void Parser::ParseVersionInfo(const ResId& name, const SourcePlace& place) {
  FixedFileInfo fixed;
  std::uint16_t language = m_language;
  auto version = [&](std::uint32_t& ms, std::uint32_t& ls) {
    std::uint32_t parts[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4; ++i) {
      parts[i] = static_cast<std::uint16_t>(Integer());
      if (i < 3 && !m_cursor.Accept(",")) break;
    }
    ms = (parts[0] << 16) | parts[1];
    ls = (parts[2] << 16) | parts[3];
  };
  for (;;) {
    ParseResourceOptions(language);
    if (m_cursor.AcceptKeyword("FILEVERSION")) version(fixed.fileVersionMS, fixed.fileVersionLS);
    else if (m_cursor.AcceptKeyword("PRODUCTVERSION")) version(fixed.productVersionMS, fixed.productVersionLS);
    else if (m_cursor.AcceptKeyword("FILEFLAGSMASK")) fixed.fileFlagsMask = Expression().Bits();
    else if (m_cursor.AcceptKeyword("FILEFLAGS")) fixed.fileFlags = Expression().Bits();
    else if (m_cursor.AcceptKeyword("FILEOS")) fixed.fileOS = Expression().Bits();
    else if (m_cursor.AcceptKeyword("FILETYPE")) fixed.fileType = Expression().Bits();
    else if (m_cursor.AcceptKeyword("FILESUBTYPE")) fixed.fileSubtype = Expression().Bits();
    else break;
  }
  m_cursor.ExpectBegin();
  std::vector<VersionNode> blocks;
  while (!m_cursor.AcceptEnd()) {
    if (!m_cursor.Peek().IsKeyword("BLOCK")) m_cursor.Fail("expected BLOCK or END");
    blocks.push_back(ParseVersionBlock());
  }
  std::vector<std::uint8_t> data = EncodeVersionInfo(fixed, blocks);
  if (data.size() > 0xFFFF) throw RcError(place, "version record larger than 64 KB");
  Add(ResId::Number(kRtVersion), name, language, std::move(data), place);
}

VersionNode Parser::ParseVersionBlock() {
  m_cursor.Next();  // BLOCK
  VersionNode block;
  block.text = true;
  block.key = Text(m_cursor.ExpectString("the block's name"));
  m_cursor.ExpectBegin();
  while (!m_cursor.AcceptEnd()) {
    if (m_cursor.Peek().IsKeyword("BLOCK")) {
      block.children.push_back(ParseVersionBlock());
      continue;
    }
    if (!m_cursor.AcceptKeyword("VALUE")) m_cursor.Fail("expected BLOCK, VALUE or END");
    std::u16string key = Text(m_cursor.ExpectString("the value's name"));
    m_cursor.Expect(",", "',' after the value's name");
    if (m_cursor.Peek().kind == TokenKind::String) {
      // Texts given in several pieces are joined.
      std::u16string text;
      while (m_cursor.Peek().kind == TokenKind::String) text += Text(m_cursor.Next());
      block.children.push_back(VersionNode::Text(std::move(key), text));
      continue;
    }
    VersionNode value;
    value.key = std::move(key);
    ByteWriter bytes;
    do {
      ExprValue v = Expression();
      if (v.isLong) bytes.U32(v.Bits());
      else bytes.U16(static_cast<std::uint16_t>(v.Bits()));
    } while (m_cursor.Accept(","));
    value.value = bytes.Take();
    value.valueLength = static_cast<std::uint16_t>(value.value.size());
    block.children.push_back(std::move(value));
  }
  return block;
}

// ---- TOOLBAR ----------------------------------------------------------------------------------

void Parser::ParseToolbar(const ResId& name, const SourcePlace& place) {
  std::uint16_t language = m_language;
  ParseResourceOptions(language);
  auto width = static_cast<std::uint16_t>(Integer());
  m_cursor.Expect(",", "',' between width and height");
  auto height = static_cast<std::uint16_t>(Integer());
  ParseResourceOptions(language);
  m_cursor.ExpectBegin();
  std::vector<std::uint16_t> ids;
  while (!m_cursor.AcceptEnd()) {
    if (m_cursor.AcceptKeyword("SEPARATOR")) ids.push_back(0);
    else if (m_cursor.AcceptKeyword("BUTTON")) ids.push_back(static_cast<std::uint16_t>(Integer()));
    else m_cursor.Fail("expected BUTTON, SEPARATOR or END");
  }
  ByteWriter out;
  out.U16(1);  // version
  out.U16(width);
  out.U16(height);
  out.U16(static_cast<std::uint16_t>(ids.size()));
  for (std::uint16_t id : ids) out.U16(id);
  Add(ResId::Number(kRtToolbar), name, language, out.Take(), place);
}

// ---- Files and raw data -----------------------------------------------------------------------

void Parser::ParseFileResource(const ResId& type, const ResId& name, const SourcePlace& place) {
  const Token& file = m_cursor.ExpectString("a file name");
  std::vector<std::uint8_t> bytes = ReadReferencedFile(file);
  if (type.IsNumber() && type.AsNumber() == kRtBitmap) {
    try {
      bytes = BitmapResource(bytes);
    } catch (const std::runtime_error& e) {
      throw RcError(file.place, "\"" + file.value + "\": " + e.what());
    }
  }
  Add(type, name, m_language, std::move(bytes), place);
}

void Parser::ParseIconFile(const ResId& name, bool cursor, const SourcePlace& place) {
  const Token& file = m_cursor.ExpectString("a file name");
  std::vector<std::uint8_t> bytes = ReadReferencedFile(file);
  std::uint16_t& nextId = cursor ? m_nextCursorId : m_nextIconId;
  IconGroup group;
  try {
    group = ReadIconFile(bytes, cursor, nextId);
  } catch (const std::runtime_error& e) {
    throw RcError(file.place, "\"" + file.value + "\": " + e.what());
  }
  if (nextId + group.images.size() > 0xFFFF) throw RcError(place, "too many images");
  for (auto& image : group.images)
    Add(ResId::Number(cursor ? kRtCursor : kRtIcon), ResId::Number(nextId++), m_language, std::move(image), place);
  Add(ResId::Number(cursor ? kRtGroupCursor : kRtGroupIcon), name, m_language, std::move(group.directory), place);
}

void Parser::ParseRawData(const ResId& type, const ResId& name, const SourcePlace& place) {
  std::uint16_t language = m_language;
  ParseResourceOptions(language);
  m_cursor.ExpectBegin();
  ByteWriter out;
  while (!m_cursor.AcceptEnd()) {
    const Token& token = m_cursor.Peek();
    if (token.kind == TokenKind::String) {
      m_cursor.Next();
      if (token.wide) {
        for (char16_t c : Text(token)) out.U16(c);
      } else {
        for (char c : token.value) out.U8(static_cast<std::uint8_t>(c));
      }
    } else {
      ExprValue v = Expression();
      if (v.isLong) out.U32(v.Bits());
      else out.U16(static_cast<std::uint16_t>(v.Bits()));
    }
    m_cursor.Accept(",");
  }
  Add(type, name, language, out.Take(), place);
}

std::vector<std::uint8_t> Parser::ReadReferencedFile(const Token& name) {
  // File names keep their backslashes as written ("res\logo.bmp"); both separators work.
  std::string path = name.text;
  for (size_t at; (at = path.find("\\\\")) != std::string::npos;) path.replace(at, 2, "/");
  std::replace(path.begin(), path.end(), '\\', '/');
  if (path.empty()) throw RcError(name.place, "empty file name");

  std::vector<std::string> candidates;
  if (fs::path(path).is_absolute()) {
    candidates.push_back(path);
  } else {
    candidates.push_back((fs::path(name.place.file).parent_path() / path).string());
    for (const auto& dir : m_options.includeDirs) candidates.push_back((fs::path(dir) / path).string());
  }
  for (const auto& candidate : candidates) {
    std::error_code ec;
    if (!fs::is_regular_file(candidate, ec)) continue;
    std::ifstream in(candidate, std::ios::binary);
    if (!in) break;
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    m_files.push_back(fs::path(candidate).lexically_normal().string());
    return bytes;
  }
  throw RcError(name.place, "cannot open file \"" + name.text + "\"");
}

// ---- Values -----------------------------------------------------------------------------------

ExprValue Parser::Expression() {
  if (!StartsExpression(m_cursor.Peek()) && m_cursor.Peek().kind != TokenKind::Identifier)
    m_cursor.Fail("expected a number");
  return ParseExpression(m_cursor);
}

std::int16_t Parser::Coordinate() {
  SourcePlace place = m_cursor.Peek().place;
  std::int64_t v = Integer();
  if (v < -32768 || v > 32767) throw RcError(place, "coordinate " + std::to_string(v) + " out of range");
  return static_cast<std::int16_t>(v);
}

std::u16string Parser::Text(const Token& string) {
  auto text = Utf8ToUtf16(string.value);
  if (!text) throw RcError(string.place, "text is not valid UTF-8");
  return *text;
}

NameOrOrdinal Parser::TextOrOrdinal() {
  const Token& token = m_cursor.Peek();
  if (token.kind == TokenKind::String) return NameOrOrdinal::Text(Text(m_cursor.Next()));
  if (token.kind == TokenKind::Identifier) {
    // An undefined name: an icon or bitmap named by text.
    m_cursor.Next();
    return NameOrOrdinal::Text(*Utf8ToUtf16(token.text));
  }
  return NameOrOrdinal::Ordinal(static_cast<std::uint16_t>(Integer()));
}

void Parser::Add(ResId type, ResId name, std::uint16_t language, std::vector<std::uint8_t> data,
                 const SourcePlace& place) {
  if (!m_seen.emplace(type, name, language).second)
    throw RcError(place, "resource " + name.Describe() + " of type " + type.Describe() + " defined twice");
  m_resources.push_back(Resource{std::move(type), std::move(name), language, std::move(data)});
}

}  // namespace tolvar::rc
