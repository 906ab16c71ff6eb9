#include "remote/login_exchange.h"

#include <gtest/gtest.h>

#include <string>

#include "remote/login_throttle.h"
#include "remote/user_key.h"

namespace varnholt {
namespace {

std::string Field(const std::string& raw) {
  std::string field = raw;
  field.resize(32, '\0');
  CipherUserField({reinterpret_cast<uint8_t*>(field.data()), field.size()});
  return field;
}

size_t Feed(LoginReader& reader, const std::string& bytes) {
  return reader.Feed(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

TEST(LoginReaderTest, TakesTheFieldsInPiecesAndNeverMoreThanAStepWants) {
  LoginReader reader;
  const std::string login = Field("alice") + Field("s3cret");
  EXPECT_EQ(Feed(reader, login.substr(0, 5)), 5u);
  EXPECT_EQ(reader.Needed(), 59u);
  EXPECT_EQ(Feed(reader, login.substr(5, 40)), 40u);
  EXPECT_EQ(reader.step(), LoginReader::Step::kCredentials);
  // The rest of the login and the start of whatever follows: only the login is taken.
  EXPECT_EQ(Feed(reader, login.substr(45) + "\x90\x01"), 19u);
  ASSERT_EQ(reader.step(), LoginReader::Step::kAnswering);
  EXPECT_EQ(reader.Needed(), 0u);
  EXPECT_EQ(reader.Name(), "alice");
  EXPECT_EQ(reader.Password(), "s3cret");

  reader.ExpectVersion();
  EXPECT_EQ(reader.Password(), "");  // the password bytes are gone once checked
  EXPECT_EQ(reader.Name(), "alice");
  EXPECT_EQ(Feed(reader, "\x90\xBA\xBE"), 1u);
  EXPECT_EQ(reader.step(), LoginReader::Step::kDone);
  EXPECT_EQ(reader.version(), 0x90);
  EXPECT_EQ(Feed(reader, "x"), 0u);
}

TEST(LoginReaderTest, FieldsWithoutAZeroAreCutAt31Characters) {
  LoginReader reader;
  Feed(reader, Field(std::string(32, 'n')) + Field(std::string(32, 'p')));
  EXPECT_EQ(reader.Name(), std::string(31, 'n'));
  EXPECT_EQ(reader.Password(), std::string(31, 'p'));
}

TEST(LoginThrottleTest, DelaysGrowAfterRepeatedFailuresAndAreLoggedOncePerMinute) {
  ManualClock clock(1'700'000'000, 1'000'000);
  LoginThrottle throttle(clock);
  const uint32_t guesser = 0x0A000001;
  bool log = true;
  EXPECT_EQ(throttle.RecordFailure(guesser, &log), 0u);
  EXPECT_FALSE(log);
  EXPECT_EQ(throttle.RecordFailure(guesser, &log), 0u);
  EXPECT_EQ(throttle.NotBefore(guesser), 0u);
  EXPECT_EQ(throttle.RecordFailure(guesser, &log), 1000u);
  EXPECT_TRUE(log);
  EXPECT_EQ(throttle.NotBefore(guesser), clock.MonotonicMs() + 1000);
  EXPECT_EQ(throttle.NotBefore(0x0A000002), 0u);  // other addresses are not held
  EXPECT_EQ(throttle.RecordFailure(guesser, &log), 2000u);
  EXPECT_FALSE(log);
  EXPECT_EQ(throttle.RecordFailure(guesser, &log), 4000u);
  clock.AdvanceSeconds(61);
  EXPECT_EQ(throttle.RecordFailure(guesser, &log), 8000u);
  EXPECT_TRUE(log);
  for (int i = 0; i < 20; ++i) throttle.RecordFailure(guesser, &log);
  EXPECT_EQ(throttle.RecordFailure(guesser, &log), kLongestLoginDelayMs);

  // A success or a quarter of an hour without failures starts afresh.
  throttle.RecordSuccess(guesser);
  EXPECT_EQ(throttle.NotBefore(guesser), 0u);
  for (int i = 0; i < 5; ++i) throttle.RecordFailure(guesser, &log);
  EXPECT_GT(throttle.NotBefore(guesser), 0u);
  clock.AdvanceSeconds(15 * 60);
  EXPECT_EQ(throttle.NotBefore(guesser), 0u);
  EXPECT_EQ(throttle.RecordFailure(guesser, &log), 0u);
}

}  // namespace
}  // namespace varnholt
