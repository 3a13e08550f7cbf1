#pragma once
// The fields of one phone reply, cut at a set of delimiter characters by the C library tokenizer's
// rules: empty pieces are skipped, so "a::b" has two fields.
#include <string>
#include <string_view>
#include <vector>

class CReplyFields {
 public:
  // Empties the list and appends every non-empty piece of `text` between delimiter characters.
  void Split(std::string_view text, std::string_view delimiters);

  // Field i, or the empty text when there are fewer than i + 1 fields.
  const std::string& GetField(std::size_t i) const;
  std::size_t GetCount() const { return m_fields.size(); }

 private:
  std::vector<std::string> m_fields;
};

// The C library's decimal reading: an optional sign and the leading digits; 0 when there are none.
int ReadNumber(std::string_view text);

// A count or size the phone reports: decimal digits only, at most `limit`. False for anything
// else, such as the empty text of a reply that stops short, a sign or trailing characters.
bool ReadCount(std::string_view text, int limit, int& count);

bool EqualsNoCase(std::string_view a, std::string_view b);
