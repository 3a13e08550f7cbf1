// The import and export runs: warnings forced and skipped (one at a time and for all of a kind),
// the log's lines and summary, a cancel that keeps what was appended, failed writes, and a record
// list that comes back equal through a file.
#include "CsvEngine.h"
#include "CsvText.h"
#include "EngineSupport.h"

#include <gtest/gtest.h>

using namespace tabulon;
using namespace tabulon::testing;
using Rows = std::vector<std::vector<std::string>>;

namespace {

Fields ContactFields() {
  Fields f;
  f.Add(CSV_FIELD_TEXT, "Name", 10, "nobody");
  f.Add(CSV_FIELD_PHONE, "Phone", 20, "");
  f.Add(CSV_FIELD_EMAIL, "Mail", 30, "");
  f.Add(CSV_FIELD_INTEGER, "Group", 20, "", 7);
  return f;
}

struct ImportRun {
  Fields fields = ContactFields();
  RecordList list{fields.infos};
  ScriptedHost host;
  MemoryOutput log;
  std::vector<int> mapping{0, 1, 2, 3};
  CsvImportResult Run(std::vector<std::string> lines, bool header = false, char separator = ',') {
    storage = std::move(lines);
    views.assign(storage.begin(), storage.end());
    CsvImportSetup setup{views, header, separator, mapping, fields.infos, &list.list};
    return RunImport(setup, host, log);
  }
  std::vector<std::string> storage;
  std::vector<std::string_view> views;
};

}  // namespace

TEST(Import, AppendsCheckedRecordsAfterThoseTheListHolds) {
  ImportRun run;
  run.list.Add({"Old", "1", "old@x.org", "1"});
  auto result = run.Run({"Name,Phone,Mail,Group", "Ann, +4 1 2 ,ann@example.org,3", "\"Bob\",\"0 12\",bob@x.org,20"},
                        true);
  EXPECT_EQ(result.imported, 2);
  EXPECT_EQ(result.handled, 2);
  EXPECT_TRUE(run.host.asked.empty());
  EXPECT_EQ(run.host.records, (std::vector<int>{1, 2}));
  EXPECT_EQ(run.list.list.count, 3);
  EXPECT_EQ(run.list.Rows(), (Rows{{"Old", "1", "old@x.org", "1"},
                                   {"Ann", "+412", "ann@example.org", "3"},
                                   {"Bob", "012", "bob@x.org", "20"}}));
  EXPECT_EQ(run.log.bytes,
            "\r\n\r\nNumber of records imported : 2\r\nNumber of records skipped : 0\r\nNumber of Warnings : 0\r\n");
}

TEST(Import, MapsColumnsAndFillsUnmappedFieldsAsEmpty) {
  ImportRun run;
  run.mapping = {2, -1, -1, 0};  // the name from column 2, the group from column 0
  run.host.replies = {{CsvAnswer::Force}, {CsvAnswer::Force}};
  auto result = run.Run({"5,x,Carl"});
  EXPECT_EQ(result.imported, 1);
  ASSERT_EQ(run.host.asked.size(), 2u);  // phone and mail empty
  EXPECT_EQ(run.host.asked[0].code, kCsvEmpty);
  EXPECT_EQ(run.host.asked[0].message, "The Field \"Phone\" is empty in the record");
  EXPECT_EQ(run.list.Rows(), (Rows{{"Carl", "", "", "5"}}));
  // An empty integer takes the default without a warning.
  run.mapping = {0, 1, 2, -1};
  run.host.asked.clear();
  run.Run({"Dora,1,dora@x.org"});
  EXPECT_TRUE(run.host.asked.empty());
  EXPECT_EQ(run.list.Rows().back(), (std::vector<std::string>{"Dora", "1", "dora@x.org", "7"}));
}

TEST(Import, ForcesAndSkipsWithTheLogLinesAndSummary) {
  ImportRun run;
  run.host.replies = {{CsvAnswer::Force}, {CsvAnswer::Skip}, {CsvAnswer::Force}};
  auto result = run.Run({"A very long name,1,a@x.org,99",  // name forced, then group skipped
                         "Eve,+,eve@x.org,1",              // phone forced to ""
                         "Fay,2,fay@x.org,2"});
  EXPECT_EQ(result.handled, 3);
  EXPECT_EQ(result.imported, 2);
  EXPECT_EQ(result.skipped, 1);
  EXPECT_EQ(result.forced, 2);
  EXPECT_EQ(run.list.Rows(), (Rows{{"Eve", "", "eve@x.org", "1"}, {"Fay", "2", "fay@x.org", "2"}}));
  EXPECT_EQ(run.log.bytes,
            "Record 1: Maximum number of characters of \"Name\" exceded ... <forced >\r\n"
            "Record 1: The Number of \"Group\" is incorrect ... <skipped>\r\n"
            "Record 2: The format of the number \"Phone\" is incorrect ... <forced >\r\n"
            "\r\n\r\nNumber of records imported : 2\r\nNumber of records skipped : 1\r\nNumber of Warnings : 3\r\n");
}

TEST(Import, ApplyToAllHoldsForItsCodeOnly) {
  ImportRun run;
  run.host.replies = {{CsvAnswer::Force, true}, {CsvAnswer::Skip, true}};
  auto result = run.Run({"Al,x,bad,1", "Bo,y,bad,2", "Cy,1,bad,21", "Di,z,ok@x.org,1"});
  // Asked once for the phone (forced from then on), once for the mail (skipped from then on).
  ASSERT_EQ(run.host.asked.size(), 2u);
  EXPECT_EQ(run.host.asked[0].code, kCsvBadPhone);
  EXPECT_EQ(run.host.asked[1].code, kCsvBadEmail);
  EXPECT_EQ(result.skipped, 3);
  EXPECT_EQ(result.forced, 3);  // the phones of Al, Bo and Di; Cy skipped before its group
  EXPECT_EQ(run.list.Rows(), (Rows{{"Di", "", "ok@x.org", "1"}}));
}

TEST(Import, ACancelKeepsTheRecordsAppendedSoFar) {
  {
    ImportRun run;  // the user quits while a warning waits
    run.host.replies = {{CsvAnswer::Cancel}};
    auto result = run.Run({"Ann,1,ann@x.org,1", "Bob,x,bob@x.org,1", "Cy,2,cy@x.org,1"});
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.imported, 1);
    EXPECT_EQ(run.list.Rows(), (Rows{{"Ann", "1", "ann@x.org", "1"}}));
    EXPECT_NE(run.log.bytes.find("Number of records imported : 1"), std::string::npos);
  }
  {
    ImportRun run;  // the user quits while record 2 is read: it is dropped, the summary written
    run.host.stopAfterRecord = 2;
    auto result = run.Run({"Ann,1,ann@x.org,1", "Bob,2,bob@x.org,1", "Cy,2,cy@x.org,1"});
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(run.host.records, (std::vector<int>{1, 2}));
    EXPECT_EQ(run.list.Rows(), (Rows{{"Ann", "1", "ann@x.org", "1"}}));
    EXPECT_NE(run.log.bytes.find("Number of Warnings : 0"), std::string::npos);
  }
}

TEST(Import, AValueRunningIntoTheNextLineConsumesIt) {
  ImportRun run;
  run.host.replies = {{CsvAnswer::Force}};  // the joined name is too long
  auto result = run.Run({"\"Two,1,a@x.org,1", "lines\",2,b@x.org,2", "Cy,3,c@x.org,3"});
  EXPECT_EQ(result.handled, 2);
  EXPECT_EQ(run.host.joined, 1);
  EXPECT_EQ(run.host.records, (std::vector<int>{1, 2}));
  // The value spans the separators up to the closing quote; the row goes on after it.
  ASSERT_EQ(run.host.asked.size(), 1u);
  EXPECT_EQ(run.host.asked[0].code, kCsvTooLong);
  EXPECT_EQ(run.list.Rows(), (Rows{{"nobody", "2", "b@x.org", "2"}, {"Cy", "3", "c@x.org", "3"}}));
}

TEST(Import, AFailedLogWriteEndsTheRun) {
  ImportRun run;
  run.log.failAfter = 0;
  run.host.replies = {{CsvAnswer::Force}};
  auto result = run.Run({"Ann,x,ann@x.org,1", "Bob,1,bob@x.org,1"});
  EXPECT_TRUE(result.logFailed);
  EXPECT_EQ(result.handled, 1);
}

TEST(Export, WritesHeaderAndQuotedValues) {
  Fields fields = ContactFields();
  fields.infos[0].name = "Na\"me";
  RecordList list(fields.infos);
  list.Add({"A \"q\", b", "+1", "a@x.org", "3"});
  list.Add({"\xC3\xA9t\xC3\xA9", "", "", "0"});
  MemoryOutput out;
  CountingExportHost host;
  auto result = RunExport(list.list, fields.infos, ';', true, out, host);
  EXPECT_EQ(result.written, 2);
  EXPECT_FALSE(result.failed);
  EXPECT_EQ(host.records, (std::vector<int>{1, 2}));
  EXPECT_EQ(out.bytes,
            "\"Na\"\"me\";\"Phone\";\"Mail\";\"Group\"\r\n"
            "\"A \"\"q\"\", b\";\"+1\";\"a@x.org\";\"3\"\r\n"
            "\"\xC3\xA9t\xC3\xA9\";\"\";\"\";\"0\"\r\n");
}

TEST(Export, AnEmptyListWritesTheHeaderOrNothing) {
  Fields fields = ContactFields();
  RecordList list(fields.infos);
  CountingExportHost host;
  MemoryOutput with, without;
  EXPECT_EQ(RunExport(list.list, fields.infos, ',', true, with, host).written, 0);
  EXPECT_EQ(with.bytes, "\"Name\",\"Phone\",\"Mail\",\"Group\"\r\n");
  EXPECT_EQ(RunExport(list.list, fields.infos, ',', false, without, host).written, 0);
  EXPECT_EQ(without.bytes, "");
}

TEST(Export, AFailedWriteOrAStopEndsTheRun) {
  Fields fields = ContactFields();
  RecordList list(fields.infos);
  for (int i = 0; i < 3; ++i) list.Add({"N", "1", "a@x.org", "1"});
  MemoryOutput out;
  out.failAfter = 2;  // header and the first record
  CountingExportHost host;
  auto failed = RunExport(list.list, fields.infos, ',', true, out, host);
  EXPECT_TRUE(failed.failed);
  EXPECT_EQ(failed.written, 1);
  CountingExportHost stopping;
  stopping.stopBefore = 3;
  MemoryOutput all;
  auto stopped = RunExport(list.list, fields.infos, ',', false, all, stopping);
  EXPECT_TRUE(stopped.cancelled);
  EXPECT_EQ(stopped.written, 2);
}

TEST(RoundTrip, ExportedRecordsImportBackEqual) {
  Fields fields = ContactFields();
  const Rows rows{{"Ann", "+441234", "ann@example.org", "3"},
                  {"say \"hi\"", "0 1", "b@x.org", "0"},
                  {"a:b;c,d|e", "12", "c.d@e.fr", "20"},
                  {"\xC3\x89lo\xC3\xAFse \xE2\x82\xAC", "99", "\xC3\xA9@x\xC3\xA9.org", "15"},
                  {"\"\"", "1", "q@q.qq", "1"}};
  for (char separator : {':', ';', ',', '\t', '|'}) {
    for (bool header : {false, true}) {
      RecordList source(fields.infos);
      for (const auto& row : rows) source.Add(row);
      MemoryOutput out;
      CountingExportHost exportHost;
      ASSERT_EQ(RunExport(source.list, fields.infos, separator, header, out, exportHost).written, 5);

      const CsvFileText file(out.bytes);
      const auto lines = file.Lines();
      ASSERT_EQ(lines.size(), header ? 6u : 5u);
      RecordList back(fields.infos);
      ScriptedHost host;
      MemoryOutput log;
      const std::vector<int> mapping{0, 1, 2, 3};
      const auto result = RunImport({lines, header, separator, mapping, fields.infos, &back.list}, host, log);
      EXPECT_TRUE(host.asked.empty()) << int(separator) << header << " " << (host.asked.empty() ? "" : host.asked[0].message);
      EXPECT_EQ(result.imported, 5);
      Rows expected = rows;
      expected[1][1] = "01";  // a phone number loses its blanks
      EXPECT_EQ(back.Rows(), expected) << "separator " << int(separator) << " header " << header;
    }
  }
}
