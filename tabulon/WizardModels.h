#pragma once
// The rules of the configuration and mapping pages, apart from their windows: the pages only move
// values between these and their controls, and tests drive them with tables.
#include <string>
#include <string_view>
#include <vector>

namespace tabulon {

// The configuration page's separator buttons, in control order.
enum class SeparatorChoice { None, Colon, Semicolon, Comma, Tab, Other };

struct CConfigChoice {
  std::string file;
  SeparatorChoice choice = SeparatorChoice::None;
  std::string other;  // the "Other :" character
  bool headerLine = false;

  // Next is offered with a file, a separator, and for "Other :" its character.
  bool CanGoNext() const;
  char Separator() const;  // 0 when none is chosen
  // A remembered separator shown again: the button, and for any other character that character.
  void ShowSeparator(char separator);
};

// A typed "Other :" text that holds '"' is refused: a quote cannot separate values.
bool IsAcceptedOtherText(std::string_view text);

// A browsed path into the drop-down's entries: an entry that matches ignoring case is chosen;
// otherwise the path goes first and entries from position `slotCount` on are dropped. Returns the
// chosen entry's index.
int InsertBrowsedPath(std::vector<std::string>& entries, std::string_view path, int slotCount);

class CMappingModel {
public:
  explicit CMappingModel(int fieldCount);

  // The CSV rows: the first line's values, named by the header line or "Field%02d". Erases the
  // mapping.
  void SetColumns(const std::vector<std::string>& firstLineValues, bool headerLine);
  int FieldCount() const { return static_cast<int>(m_mapping.size()); }
  int ColumnCount() const { return static_cast<int>(m_columns.size()); }
  const std::string& ColumnName(int column) const { return m_columns[static_cast<std::size_t>(column)]; }
  int MappingOf(int field) const { return m_mapping[static_cast<std::size_t>(field)]; }
  const std::vector<int>& Mapping() const { return m_mapping; }
  bool IsColumnUsed(int column) const;
  std::string MappedFrom(int field) const;  // the column's name, "" when unmapped
  bool HasMapping() const;

  void SelectField(int field);  // -1 for none
  void SelectColumn(int column);
  int SelectedField() const { return m_field; }
  int SelectedColumn() const { return m_column; }

  bool CanMap() const;
  bool CanUnmap() const;
  bool CanMoveUp() const;
  bool CanMoveDown() const;

  bool Map();
  void Unmap();
  void MoveUp();
  void MoveDown();
  void DefaultMapping();
  void EraseMapping();

private:
  void Swap(int other);
  std::vector<std::string> m_columns;
  std::vector<int> m_mapping;
  int m_field = -1;
  int m_column = -1;
};

}  // namespace tabulon
