#include "settings/setting_types.h"

#include <gtest/gtest.h>

#include <vector>

#include "settings/con_file.h"
#include "settings/setting_forms.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::TempFolder;

class SettingTypesTest : public ::testing::Test {
 protected:
  SettingTypesTest() : log_(tmp_.path(), clock_) {
    log_.SetLineObserver([this](const std::string& line) { logged_.push_back(line); });
  }

  // Reads the file form of `value` back as a load would: every line of the row's key, or
  // the type's rule for a key the file lacks.
  SettingValue ThroughFile(int row, const SettingValue& value) {
    const SettingDef& def = kSettingDefs[row];
    const SettingTypeOps& type = TypeOps(def.type);
    std::string text = type.format_file(SettingFileKey(row), def, value);
    SettingValue read;
    read.int_value = -77;
    read.text = "stale";
    std::vector<std::string> lines = SplitConLines(text);
    bool found = false;
    for (const std::string& line : lines) {
      if (line.empty()) continue;
      ConLine parts = SplitConKey(line);
      EXPECT_TRUE(EqualsNoCase(parts.key, SettingFileKey(row))) << line;
      type.parse_file(def, SettingName(row), parts.rest, &read, log_);
      found = true;
      if (!type.every_file_line) break;
    }
    if (!found && type.absent_from_file != nullptr) type.absent_from_file(&read);
    return read;
  }

  TempFolder tmp_;
  ManualClock clock_;
  EventLog log_;
  std::vector<std::string> logged_;
};

// Every row's default is a value its own type accepts: it stays in bounds, survives the file
// form without an "Invalid value" line and, where the console carries it, the console form.
// A new type row with a mismatched pair of operations fails here.
TEST_F(SettingTypesTest, EveryDefaultSurvivesItsFileAndConsoleForms) {
  for (int row = 0; row < kSettingCount; ++row) {
    const SettingDef& def = kSettingDefs[row];
    const SettingTypeOps& type = TypeOps(def.type);
    ASSERT_EQ(type.type, def.type);
    SettingValue value = DefaultSettingValue(row);

    SettingValue bounded = value;
    EXPECT_TRUE(type.keep_in_bounds(def, &bounded)) << SettingName(row);
    EXPECT_TRUE(SettingValuesEqual(row, bounded, value)) << SettingName(row);

    EXPECT_TRUE(SettingValuesEqual(row, ThroughFile(row, value), value)) << SettingName(row);

    // The console carries a type both ways or not at all.
    ASSERT_EQ(type.console_form == nullptr, type.parse_console == nullptr) << type.name;
    if (type.console_form != nullptr) {
      SettingValue back;
      EXPECT_TRUE(type.parse_console(def, type.console_form(def, value), &back));
      EXPECT_TRUE(SettingValuesEqual(row, back, value)) << SettingName(row);
    }
  }
  EXPECT_TRUE(logged_.empty()) << logged_.front();
}

// What only the table says: which value a type compares and audits, and which control and
// decimals a settings page gets.
TEST_F(SettingTypesTest, ValueKindsAuditFormsAndControls) {
  SettingValue v;
  v.int_value = 1234;
  v.text = "a b";
  EXPECT_EQ(TypeOps(SettingType::kText).audit_text(v), "[a b]");
  EXPECT_EQ(TypeOps(SettingType::kChoice).audit_text(v), "[a b]");
  EXPECT_EQ(TypeOps(SettingType::kTenths).audit_text(v), "123.4");
  EXPECT_EQ(TypeOps(SettingType::kHundredths).audit_text(v), "1234");
  EXPECT_EQ(TypeOps(SettingType::kNegatedInteger).audit_text(v), "-1234");
  v.int_value = static_cast<int32_t>(0x0A000102);
  EXPECT_EQ(TypeOps(SettingType::kAddress).audit_text(v), "10.0.1.2");

  EXPECT_TRUE(TypeOps(SettingType::kMessageLines).text_value);
  EXPECT_FALSE(TypeOps(SettingType::kAddress).text_value);
  EXPECT_EQ(TypeOps(SettingType::kHundredths).decimals, 2);
  EXPECT_EQ(TypeOps(SettingType::kTenths).control, SettingControl::kDecimalSpinBox);
  EXPECT_EQ(TypeOps(SettingType::kChoice).control, SettingControl::kChoiceList);

  // A Choice code the list does not hold cannot be kept; a number beyond its bounds is
  // brought back inside them.
  const SettingDef& choke = kSettingDefs[SettingRowOf("admin.bandwidthChokeLimit")];
  SettingValue code;
  code.text = "12";
  EXPECT_FALSE(TypeOps(SettingType::kChoice).keep_in_bounds(choke, &code));
  const SettingDef& rounds = kSettingDefs[SettingRowOf("admin.setNrOfRounds")];
  SettingValue many;
  many.int_value = 99;
  EXPECT_TRUE(TypeOps(SettingType::kInteger).keep_in_bounds(rounds, &many));
  EXPECT_EQ(many.int_value, rounds.high_bound);
}

}  // namespace
}  // namespace varnholt
