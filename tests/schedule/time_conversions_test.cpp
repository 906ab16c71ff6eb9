// Time conversions under POSIX zone strings: a central European zone with its summer time,
// a southern zone whose summer spans the new year, and a zone without summer time.
#include "schedule/time_conversions.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace varnholt {
namespace {

constexpr const char* kCentralEurope = "CET-1CEST,M3.5.0/2,M10.5.0/3";
constexpr const char* kSouthern = "AEST-10AEDT,M10.1.0,M4.1.0/3";

CalendarFields Fields(int y, int mo, int d, int h, int mi, int s) {
  CalendarFields f;
  f.year = static_cast<uint16_t>(y);
  f.month = static_cast<uint16_t>(mo);
  f.day = static_cast<uint16_t>(d);
  f.hour = static_cast<uint16_t>(h);
  f.minute = static_cast<uint16_t>(mi);
  f.second = static_cast<uint16_t>(s);
  return f;
}

class TimeZoneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("TZ");
    had_tz_ = old != nullptr;
    if (had_tz_) old_tz_ = old;
  }
  void TearDown() override {
    if (had_tz_) {
      setenv("TZ", old_tz_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }
  static void UseZone(const char* zone) { setenv("TZ", zone, 1); }

  static CalendarFields LocalOf(const CalendarFields& utc) {
    CalendarFields local;
    EXPECT_TRUE(UtcToLocal(utc, &local));
    return local;
  }

 private:
  bool had_tz_ = false;
  std::string old_tz_;
};

TEST(UtcConversionTest, KnownSecondsAndRoundTrip) {
  EXPECT_EQ(UtcFieldsToSeconds(Fields(1970, 1, 1, 0, 0, 0)), 0);
  EXPECT_EQ(UtcFieldsToSeconds(Fields(2004, 7, 12, 16, 0, 0)), 1089648000);
  CalendarFields f = SecondsToUtcFields(1089648000);
  EXPECT_EQ(f, [] {
    CalendarFields e = Fields(2004, 7, 12, 16, 0, 0);
    e.weekday = 1;  // a Monday
    return e;
  }());
  // Beyond 2038 and across leap days the count stays exact.
  for (int64_t s : {int64_t{951782400}, int64_t{4102444799}, int64_t{-86400}, int64_t{1}}) {
    EXPECT_EQ(UtcFieldsToSeconds(SecondsToUtcFields(s)), s) << s;
  }
  EXPECT_EQ(SecondsToUtcFields(951782400).day, 29u);  // 2000-02-29
  EXPECT_EQ(SecondsToUtcFields(-86400).weekday, 3u);  // 1969-12-31, a Wednesday
}

TEST_F(TimeZoneTest, CentralEuropeSummerAndWinter) {
  UseZone(kCentralEurope);
  EXPECT_EQ(LocalOf(Fields(2004, 7, 12, 16, 0, 0)).hour, 18);
  EXPECT_EQ(LocalOf(Fields(2004, 1, 12, 16, 0, 0)).hour, 17);
  // The change days: on 2004-03-28 the clocks go forward at 01:00 UTC, on 2004-10-31 back.
  EXPECT_EQ(LocalOf(Fields(2004, 3, 28, 0, 59, 59)).hour, 1);
  EXPECT_EQ(LocalOf(Fields(2004, 3, 28, 1, 0, 0)).hour, 3);
  EXPECT_EQ(LocalOf(Fields(2004, 10, 31, 0, 59, 59)).hour, 2);
  EXPECT_EQ(LocalOf(Fields(2004, 10, 31, 1, 0, 0)).hour, 2);
  EXPECT_EQ(LocalOf(Fields(2004, 10, 31, 12, 0, 0)).hour, 13);

  // Local input goes back to the same seconds in both seasons.
  int64_t s = 0;
  ASSERT_TRUE(LocalFieldsToSeconds(Fields(2004, 7, 12, 18, 0, 0), &s));
  EXPECT_EQ(s, 1089648000);
  ASSERT_TRUE(LocalFieldsToSeconds(Fields(2004, 1, 12, 17, 0, 0), &s));
  EXPECT_EQ(s, UtcFieldsToSeconds(Fields(2004, 1, 12, 16, 0, 0)));
  CalendarFields utc;
  ASSERT_TRUE(LocalToUtc(Fields(2004, 7, 12, 18, 30, 5), &utc));
  EXPECT_EQ(utc, [] {
    CalendarFields e = Fields(2004, 7, 12, 16, 30, 5);
    e.weekday = 1;
    return e;
  }());
}

TEST_F(TimeZoneTest, SouthernZoneHasSummerInJanuary) {
  UseZone(kSouthern);
  EXPECT_EQ(LocalOf(Fields(2005, 1, 15, 0, 0, 0)).hour, 11);
  EXPECT_EQ(LocalOf(Fields(2005, 7, 15, 0, 0, 0)).hour, 10);
  // 23:30 UTC on New Year's Eve is already the next year locally.
  CalendarFields local = LocalOf(Fields(2004, 12, 31, 23, 30, 0));
  EXPECT_EQ(local.year, 2005);
  EXPECT_EQ(local.month, 1);
  EXPECT_EQ(local.day, 1);
  EXPECT_EQ(local.hour, 10);
  EXPECT_EQ(local.weekday, 6);
}

TEST_F(TimeZoneTest, ZoneWithoutSummerTimeKeepsOneOffset) {
  UseZone("JST-9");
  EXPECT_EQ(LocalOf(Fields(2004, 1, 12, 16, 0, 0)).hour, 1);
  EXPECT_EQ(LocalOf(Fields(2004, 7, 12, 16, 0, 0)).hour, 1);
}

TEST_F(TimeZoneTest, ZeroSecondsProduceNothingAndDisplayForm) {
  UseZone(kCentralEurope);
  CalendarFields untouched = Fields(1999, 9, 9, 9, 9, 9);
  CalendarFields local = untouched;
  EXPECT_FALSE(SecondsToLocalFields(0, &local));
  EXPECT_EQ(local, untouched);
  ASSERT_TRUE(SecondsToLocalFields(1089648000, &local));
  EXPECT_EQ(local.hour, 18);

  EXPECT_EQ(DisplayTimeText(1089648000), "Mon Jul 12 18:00:00 2004");
  std::string winter = DisplayTimeText(UtcFieldsToSeconds(Fields(2004, 1, 5, 8, 5, 3)));
  EXPECT_EQ(winter, "Mon Jan  5 09:05:03 2004");
  EXPECT_EQ(winter.size(), 24u);
}

}  // namespace
}  // namespace varnholt
