#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "remote/account_fields.h"
#include "remote/random_text.h"
#include "remote/user_key.h"
#include "support/file_text.h"

namespace varnholt {
namespace {

std::string Hex(const std::vector<uint8_t>& bytes) {
  std::string out;
  char b[3];
  for (uint8_t v : bytes) {
    snprintf(b, sizeof b, "%02X", v);
    out += b;
  }
  return out;
}

std::vector<uint8_t> Rc4(const std::string& key, const std::string& text) {
  std::vector<uint8_t> data(text.begin(), text.end());
  Rc4Apply({reinterpret_cast<const uint8_t*>(key.data()), key.size()}, data);
  return data;
}

TEST(Rc4, MatchesPublishedVectorsAndIsItsOwnInverse) {
  EXPECT_EQ(Hex(Rc4("Key", "Plaintext")), "BBF316E8D940AF0AD3");
  EXPECT_EQ(Hex(Rc4("Wiki", "pedia")), "1021BF0420");
  EXPECT_EQ(Hex(Rc4("Secret", "Attack at dawn")), "45A01F645FC35B383552544B9BF5");
  std::vector<uint8_t> data = Rc4("Key", "Plaintext");
  Rc4Apply({reinterpret_cast<const uint8_t*>("Key"), 3}, data);
  EXPECT_EQ(std::string(data.begin(), data.end()), "Plaintext");
}

TEST(UserKey, IsTheKeyFileOfTheRepository) {
  const std::string file = testing::ReadFileText(VARNHOLT_USER_KEY_FILE);
  ASSERT_EQ(file.size(), kUserKeySize);
  EXPECT_TRUE(std::equal(file.begin(), file.end(), kUserKey.begin(),
                         [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; }));
}

TEST(AccountFields, EachFieldStartsAtTheBeginningOfTheKeyStream) {
  // A client that knows only the key file and RC4 can decipher a field by itself.
  uint8_t field[kNameFieldSize];
  ASSERT_TRUE(EncipherField("alice", field, sizeof field));
  std::vector<uint8_t> plain(field, field + sizeof field);
  Rc4Apply(kUserKey, plain);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(plain.data())), "alice");
  EXPECT_EQ(DecipherField(field, sizeof field), "alice");
}

TEST(AccountFields, FillerHidesTheLengthAndChangesEveryTime) {
  std::string a;
  std::string b;
  ASSERT_TRUE(EncipherFieldHex("pw", kPasswordFieldSize, &a));
  ASSERT_TRUE(EncipherFieldHex("pw", kPasswordFieldSize, &b));
  EXPECT_EQ(a.size(), 64u);
  EXPECT_NE(a.substr(6), b.substr(6));  // the filler after "pw" and its zero differs
  EXPECT_EQ(a.substr(0, 6), b.substr(0, 6));
  EXPECT_EQ(DecipherFieldHex(a, kPasswordFieldSize).value(), "pw");
  std::string keyhash;
  ASSERT_TRUE(EncipherFieldHex(std::string(32, 'A'), kKeyhashFieldSize, &keyhash));
  EXPECT_EQ(keyhash.size(), 66u);
  EXPECT_EQ(DecipherFieldHex(keyhash, kKeyhashFieldSize).value(), std::string(32, 'A'));
}

TEST(AccountFields, TextsAreCutAndMalformedHexRefused) {
  std::string hex;
  ASSERT_TRUE(EncipherFieldHex(std::string(40, 'x'), kNameFieldSize, &hex));
  EXPECT_EQ(DecipherFieldHex(hex, kNameFieldSize).value(), std::string(31, 'x'));
  // A field without any zero byte is cut at 31 characters.
  uint8_t no_zero[kNameFieldSize];
  std::fill(std::begin(no_zero), std::end(no_zero), 'z');
  EXPECT_EQ(FieldText(no_zero, sizeof no_zero), std::string(31, 'z'));
  EXPECT_FALSE(DecipherFieldHex(hex.substr(2), kNameFieldSize).has_value());
  hex[10] = 'G';
  EXPECT_FALSE(DecipherFieldHex(hex, kNameFieldSize).has_value());
  hex[10] = 'a';  // lower case digits are read too
  EXPECT_TRUE(DecipherFieldHex(hex, kNameFieldSize).has_value());
}

TEST(RandomText, GivesAtMost32CharactersBetweenZeroAndY) {
  std::string text;
  ASSERT_TRUE(RandomText(16, &text));
  EXPECT_EQ(text.size(), 16u);
  ASSERT_TRUE(RandomText(100, &text));
  EXPECT_EQ(text.size(), 32u);
  std::set<char> seen;
  for (int i = 0; i < 200; ++i) {
    ASSERT_TRUE(RandomText(32, &text));
    for (char c : text) {
      ASSERT_GE(c, '0');
      ASSERT_LE(c, 'y');
      seen.insert(c);
    }
  }
  EXPECT_EQ(seen.size(), 74u);  // 6400 draws reach every one of the 74 characters
}

}  // namespace
}  // namespace varnholt
