// The dialog's rules without windows: the row rules and "Select all" of both columns, the phone
// variants, a file's kinds in the restore column, the log lines and the last folder.
#include "BackupModel.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using R = BackupRow;
constexpr auto B = CBackupModel::kBackup;
constexpr auto Rs = CBackupModel::kRestore;
const BackupVariant kZVariant = BackupVariant::FromBuild("ZD");
const BackupVariant kPlain = BackupVariant::FromBuild("XX");

// The checked rows of a column as letters, in row order: "CSTsmMPVi".
std::string Checked(const CBackupModel& model, CBackupModel::Column column) {
  static const char letters[] = "CSTsmMPVi";
  std::string out;
  for (int i = 0; i < kBackupRowCount; ++i) {
    if (model.Get(column, static_cast<R>(i)).checked) out += letters[i];
  }
  return out;
}

TEST(BackupVariantTest, BuildLettersChooseRowsAndBoxes) {
  const struct {
    const char* build;
    bool movies, imode;
    DWORD sms1, sms2;
  } cases[] = {
      {"Z", true, false, 2, 1}, {"UI", true, true, 2, 1}, {"AD", false, true, 1, 2},
      {"", false, false, 1, 2}, {"zd", false, false, 1, 2}, {nullptr, false, false, 1, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.build ? c.build : "(none)");
    const BackupVariant v = BackupVariant::FromBuild(c.build);
    EXPECT_EQ(v.showMovies, c.movies);
    EXPECT_EQ(v.showIMode, c.imode);
    EXPECT_EQ(v.smsBox1, c.sms1);
    EXPECT_EQ(v.smsBox2, c.sms2);
    EXPECT_EQ(v.mmsBox, 3u);
  }
}

TEST(BackupModelTest, VariantsShowTheirRowsAndStartWithEverythingBackedUp) {
  const struct {
    const char* build;
    std::string checked;
    DWORD kinds;
  } cases[] = {
      {"XX", "CSTsmMP", 0x3BE},           // no Movies, MMS
      {"ZX", "CSTsmMPV", 0x3FE},          // Movies
      {"XD", "CSTsMPi", 0x12BE},          // i-mode in MMS's place
      {"UI", "CSTsMPVi", 0x12FE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.build);
    const BackupVariant variant = BackupVariant::FromBuild(c.build);
    CBackupModel model(variant);
    EXPECT_EQ(Checked(model, B), c.checked);
    EXPECT_EQ(model.BackupKinds(), c.kinds);
    EXPECT_TRUE(model.SelectAll(B).checked);
    EXPECT_TRUE(model.AnyChecked(B));
    EXPECT_EQ(model.Get(B, R::Movies).visible, variant.showMovies);
    EXPECT_EQ(model.Get(Rs, R::Movies).visible, variant.showMovies);
    EXPECT_EQ(model.Get(B, R::Mms).visible, !variant.showIMode);
    EXPECT_EQ(model.Get(B, R::IMode).visible, variant.showIMode);
    // The restore column waits for a file.
    EXPECT_EQ(Checked(model, Rs), "");
    EXPECT_FALSE(model.Get(Rs, R::Contacts).enabled);
    EXPECT_FALSE(model.SelectAll(Rs).enabled);
    EXPECT_FALSE(model.RestoreEnabled());
    // A hidden row cannot be set.
    model.SetRow(B, variant.showMovies ? R::IMode : R::Movies, true);
    EXPECT_EQ(Checked(model, B), c.checked);
  }
}

TEST(BackupModelTest, SmsAloneGivesItsTwoBits) {
  CBackupModel model(kZVariant);
  model.SetSelectAll(B, false);
  EXPECT_FALSE(model.AnyChecked(B));
  EXPECT_EQ(model.BackupKinds(), 0u);
  model.SetRow(B, R::Sms, true);
  EXPECT_EQ(model.BackupKinds(), 0x280u);
  EXPECT_TRUE(model.AnyChecked(B));
  EXPECT_FALSE(model.SelectAll(B).checked);
}

// Row rules of both columns: what a click checks besides, and which warning it asks for.
TEST(BackupModelTest, RowRulesCheckWhatARowNeedsAndWarnWhenItIsTakenAway) {
  const struct {
    const char* name;
    CBackupModel::Column column;
    std::vector<std::pair<R, bool>> clicks;  // after everything was unchecked
    std::string checked;
    UINT warning;
    bool contacts, schedule;
  } cases[] = {
      {"contacts brings melodies and pictures", B, {{R::Contacts, true}}, "CMP", 0, false, false},
      {"schedule brings melodies", B, {{R::Schedule, true}}, "SM", 0, false, false},
      {"melodies off under both", B, {{R::Contacts, true}, {R::Schedule, true}, {R::Melodies, false}}, "CSP", 417, true, true},
      {"melodies off under schedule", B, {{R::Schedule, true}, {R::Melodies, false}}, "S", 417, false, true},
      {"pictures off under contacts", B, {{R::Contacts, true}, {R::Pictures, false}}, "CM", 417, true, false},
      {"pictures off under schedule alone", B, {{R::Schedule, true}, {R::Pictures, true}, {R::Pictures, false}}, "SM", 0, false, false},
      {"restore: contacts brings melodies and pictures", Rs, {{R::Contacts, true}}, "CMP", 0, false, false},
      {"restore: melodies off under both", Rs, {{R::Contacts, true}, {R::Schedule, true}, {R::Melodies, false}}, "CSP", 423, true, true},
      {"restore: pictures off under contacts", Rs, {{R::Contacts, true}, {R::Pictures, false}}, "CM", 423, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CBackupModel model(kZVariant);
    model.ShowKinds(0x13FE);
    model.SetSelectAll(c.column, false);
    std::optional<RowWarning> warning;
    for (const auto& [row, on] : c.clicks) warning = model.SetRow(c.column, row, on);
    EXPECT_EQ(Checked(model, c.column), c.checked);
    EXPECT_EQ(warning ? warning->stringId : 0u, c.warning);
    if (warning) {
      EXPECT_EQ(warning->contacts, c.contacts);
      EXPECT_EQ(warning->schedule, c.schedule);
    }
  }
  EXPECT_EQ(RowWarning({417, true, true}).Names("Contacts", "Schedule"), CString("Contacts && Schedule"));
  EXPECT_EQ(RowWarning({417, false, true}).Names("Contacts", "Schedule"), CString("Schedule"));
}

// In the restore column a row counts only while it is enabled: rules and "Select all" leave the
// kinds the file does not hold alone.
TEST(BackupModelTest, RestoreColumnFollowsTheFilesKinds) {
  CBackupModel model(kZVariant);
  model.ShowKinds(BCK_KIND_CONTACTS | BCK_KIND_PICTURES | 0x280 | BCK_KIND_MMS);
  EXPECT_EQ(Checked(model, Rs), "CsP");  // MMS stands hidden in an i-mode variant
  EXPECT_TRUE(model.RestoreEnabled());
  EXPECT_TRUE(model.SelectAll(Rs).checked);
  EXPECT_FALSE(model.Get(Rs, R::Melodies).enabled);
  // Contacts would want Melodies, which the file does not hold.
  model.SetRow(Rs, R::Contacts, false);
  EXPECT_FALSE(model.SelectAll(Rs).checked);
  model.SetRow(Rs, R::Contacts, true);
  EXPECT_EQ(Checked(model, Rs), "CsP");
  model.SetSelectAll(Rs, false);
  EXPECT_EQ(Checked(model, Rs), "");
  EXPECT_FALSE(model.AnyChecked(Rs));
  model.SetSelectAll(Rs, true);
  EXPECT_EQ(Checked(model, Rs), "CsP");
  EXPECT_TRUE(model.RestoreChecked(R::Sms));
  EXPECT_FALSE(model.RestoreChecked(R::Schedule));
  // A disabled row cannot be clicked on.
  model.SetRow(Rs, R::Schedule, true);
  EXPECT_FALSE(model.Get(Rs, R::Schedule).checked);
  model.ResetRestoreRows();
  EXPECT_EQ(Checked(model, Rs), "");
  EXPECT_FALSE(model.RestoreEnabled());
  EXPECT_FALSE(model.SelectAll(Rs).enabled);

  // Each kind bit to its row.
  CBackupModel every(BackupVariant::FromBuild("Z"));
  for (const BackupRowInfo& info : BackupRows()) {
    every.ShowKinds(info.kind);
    const bool shown = every.Get(Rs, info.row).visible;
    EXPECT_EQ(every.RestoreChecked(info.row), shown) << info.kind;
    EXPECT_EQ(Checked(every, Rs).size(), shown ? 1u : 0u) << info.kind;
  }
  every.ShowKinds(0x80);  // the extra SMS bit alone restores nothing
  EXPECT_EQ(Checked(every, Rs), "");
}

TEST(BackupLogTest, TextsBecomeLines) {
  const struct {
    const char* text;
    std::vector<const char*> lines;
  } cases[] = {
      {"a\r\nb\r\n", {"a", "b"}},
      {"Done\n", {"Done"}},          // a bare "\n" loses no character
      {"\n\n", {"", ""}},
      {"one", {"one"}},
      {" ", {" "}},
      {"x\r\n1- Unplug\r\n2- Re-start", {"x", "1- Unplug", "2- Re-start"}},
      {"keep\rcr\n", {"keep\rcr"}},
      {"", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::vector<CString> lines = SplitLogText(c.text);
    ASSERT_EQ(lines.size(), c.lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], CString(c.lines[i]));
  }
}

TEST(BackupCaptionTest, ACommandsTextCaptionsWithoutItsMnemonicMarker) {
  const struct {
    const char* text;
    const char* caption;
  } cases[] = {
      {"&Backup", "Backup"}, {"Res&tore", "Restore"}, {"Save && Go", "Save & Go"},
      {"Open", "Open"},      {"End&", "End"},         {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CaptionOfCommand(c.text), CString(c.caption)) << c.text;
}

TEST(BackupLastFolderTest, StoredFoldersKeepTheirLastComponent) {
  const struct {
    const char* stored;
    bool exists;
    const char* folder;
  } cases[] = {
      {"", true, "/home/u/Documents"},
      {"C:\\Backups\\", true, "C:\\Backups"},
      {"/srv/backups/", true, "/srv/backups"},
      {"/srv/backups", true, "/srv/backups"},
      {"C:\\", true, "C:\\"},
      {"/", true, "/"},
      {"/gone/", false, "/home/u/Documents"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    EXPECT_EQ(LastFolderFromStored("/home/u/Documents", c.stored, c.exists), CString(c.folder));
  }
  EXPECT_EQ(LastFolderToStored("C:\\Backups"), CString("C:\\Backups\\"));
  EXPECT_EQ(LastFolderToStored("/srv/backups"), CString("/srv/backups/"));
  EXPECT_EQ(LastFolderToStored("/"), CString("/"));
  EXPECT_EQ(LastFolderToStored(""), CString(""));
  // Through the registry and back.
  EXPECT_EQ(LastFolderFromStored("/d", LastFolderToStored("/srv/b"), true), CString("/srv/b"));
}

}  // namespace
