// The configuration and mapping rules: see WizardModels.h.
#include "WizardModels.h"

#include "CsvSettings.h"

#include <algorithm>
#include <cstdio>

namespace tabulon {

bool CConfigChoice::CanGoNext() const {
  if (file.empty() || choice == SeparatorChoice::None) return false;
  return choice != SeparatorChoice::Other || !other.empty();
}

char CConfigChoice::Separator() const {
  switch (choice) {
    case SeparatorChoice::Colon: return ':';
    case SeparatorChoice::Semicolon: return ';';
    case SeparatorChoice::Comma: return ',';
    case SeparatorChoice::Tab: return '\t';
    case SeparatorChoice::Other: return other.empty() ? '\0' : other[0];
    case SeparatorChoice::None: break;
  }
  return '\0';
}

void CConfigChoice::ShowSeparator(char separator) {
  switch (separator) {
    case ':': choice = SeparatorChoice::Colon; break;
    case ';': choice = SeparatorChoice::Semicolon; break;
    case ',': choice = SeparatorChoice::Comma; break;
    case '\t': choice = SeparatorChoice::Tab; break;
    default:
      choice = SeparatorChoice::Other;
      other = separator && separator != '"' ? std::string(1, separator) : std::string();
      break;
  }
}

bool IsAcceptedOtherText(std::string_view text) { return text.find('"') == std::string_view::npos; }

int InsertBrowsedPath(std::vector<std::string>& entries, std::string_view path, int slotCount) {
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (EqualsNoCase(entries[i], path)) return static_cast<int>(i);
  entries.insert(entries.begin(), std::string(path));
  if (slotCount >= 1 && entries.size() > static_cast<std::size_t>(slotCount))
    entries.resize(static_cast<std::size_t>(slotCount));
  return 0;
}

CMappingModel::CMappingModel(int fieldCount) : m_mapping(static_cast<std::size_t>(std::max(fieldCount, 0)), -1) {}

void CMappingModel::SetColumns(const std::vector<std::string>& firstLineValues, bool headerLine) {
  m_columns.clear();
  for (std::size_t i = 0; i < firstLineValues.size(); ++i) {
    if (headerLine) {
      m_columns.push_back(firstLineValues[i]);
    } else {
      char name[24];
      std::snprintf(name, sizeof name, "Field%02d", static_cast<int>(i));
      m_columns.emplace_back(name);
    }
  }
  EraseMapping();
}

bool CMappingModel::IsColumnUsed(int column) const {
  return column >= 0 && std::find(m_mapping.begin(), m_mapping.end(), column) != m_mapping.end();
}

std::string CMappingModel::MappedFrom(int field) const {
  const int column = MappingOf(field);
  return column >= 0 && column < ColumnCount() ? m_columns[static_cast<std::size_t>(column)] : std::string();
}

bool CMappingModel::HasMapping() const {
  return std::any_of(m_mapping.begin(), m_mapping.end(), [](int column) { return column >= 0; });
}

void CMappingModel::SelectField(int field) { m_field = field >= 0 && field < FieldCount() ? field : -1; }

void CMappingModel::SelectColumn(int column) { m_column = column >= 0 && column < ColumnCount() ? column : -1; }

bool CMappingModel::CanMap() const { return m_column >= 0 && !IsColumnUsed(m_column); }
bool CMappingModel::CanUnmap() const { return m_field >= 0 && MappingOf(m_field) >= 0; }
bool CMappingModel::CanMoveUp() const { return m_field > 0; }
bool CMappingModel::CanMoveDown() const { return m_field >= 0 && m_field + 1 < FieldCount(); }

bool CMappingModel::Map() {
  if (!CanMap()) return false;
  int target = m_field;
  if (target < 0) {
    for (int i = FieldCount() - 1; i >= 0 && target < 0; --i)
      if (MappingOf(i) < 0) target = i;
  }
  if (target < 0) return false;
  m_mapping[static_cast<std::size_t>(target)] = m_column;  // a column it used before is free again
  m_column = -1;
  return true;
}

void CMappingModel::Unmap() {
  if (m_field >= 0) m_mapping[static_cast<std::size_t>(m_field)] = -1;
}

void CMappingModel::Swap(int other) {
  std::swap(m_mapping[static_cast<std::size_t>(m_field)], m_mapping[static_cast<std::size_t>(other)]);
  m_field = other;
}

void CMappingModel::MoveUp() {
  if (CanMoveUp()) Swap(m_field - 1);
}

void CMappingModel::MoveDown() {
  if (CanMoveDown()) Swap(m_field + 1);
}

void CMappingModel::DefaultMapping() {
  for (int i = 0; i < FieldCount() && i < ColumnCount(); ++i) {
    if (m_columns[static_cast<std::size_t>(i)].empty()) continue;
    // A column is used by one field at most.
    for (int& column : m_mapping)
      if (column == i) column = -1;
    m_mapping[static_cast<std::size_t>(i)] = i;
  }
}

void CMappingModel::EraseMapping() {
  std::fill(m_mapping.begin(), m_mapping.end(), -1);
  m_field = m_column = -1;
}

}  // namespace tabulon
