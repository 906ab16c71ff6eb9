// Console peers that misbehave in ways the simulated server does not: frames announcing
// impossible sizes and connections dropped with a reset.
#include <gtest/gtest.h>

#include <string>

#include "gamelink/console_wire.h"
#include "gamelink_harness.h"
#include "platform/last_error.h"

namespace varnholt::testing {
namespace {

class ConsoleFaultsTest : public GameLinkTest {
 protected:
  // A console peer with the given answers and a status peer that names the game port.
  void Serve(std::vector<std::string> steps) {
    console_peer_ = std::make_unique<FakeConsoleServer>(std::move(steps));
    status_peer_ =
        std::make_unique<FakeStatusServer>(RulesAnswer({"hostport", std::to_string(kSimGamePort)}));
    UseServer(console_peer_->port(), status_peer_->port());
    ASSERT_TRUE(console_.ConsoleConnect());
  }
  std::unique_ptr<FakeConsoleServer> console_peer_;
  std::unique_ptr<FakeStatusServer> status_peer_;
};

TEST_F(ConsoleFaultsTest, AFrameAnnouncingFourGigabytesClosesTheConnection) {
  std::string huge;
  AppendU32(&huge, 1);
  AppendU32(&huge, 0xFFFFFFF0u);
  Serve({ResponseFrame({}), ResponseFrame({"fine"}), huge});  // pb_sv_writecfg, then ours
  const std::string* r = console_.RunConsoleCommand("admin.nrOfTKToKick");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(*r, "fine\n");
  EXPECT_EQ(console_.RunConsoleCommand("admin.nrOfTKToKick"), nullptr);
  EXPECT_EQ(GetLastErrorCode(), kErrorInvalidData);
  EXPECT_FALSE(console_.ConsoleConnected());
  EXPECT_TRUE(Logged("Couldn't send message to console! The data is invalid. (13)"));
  EXPECT_TRUE(Logged("Disconnected"));
}

TEST_F(ConsoleFaultsTest, AResetDuringAPollEndsTheConnection) {
  Serve({ResponseFrame({}), "RESET"});
  EXPECT_EQ(console_.PollConsoleOutput(), nullptr);
  EXPECT_EQ(GetLastErrorCode(), kWsaConnectionReset);
  EXPECT_TRUE(Logged("Connection reset"));
  EXPECT_TRUE(Logged("Disconnected"));
  EXPECT_FALSE(console_.ConsoleConnected());
}

TEST_F(ConsoleFaultsTest, ChatSinkMayRunCommandsWithoutSpoilingTheOuterResponse) {
  class EchoSink final : public ChatSink {
   public:
    explicit EchoSink(ConsoleClient& console) : console_(console) {}
    void CheckChatWords(const std::string&) override {}
    void ParseChatCommand(const std::string& chat) override {
      const std::string* r = console_.RunConsoleCommand("game.sayAll \"%s\"", chat.c_str());
      inner = r == nullptr ? "none" : *r;
    }
    std::string inner;

   private:
    ConsoleClient& console_;
  };
  Serve({ResponseFrame({}), ResponseFrame({"outer", "##--0!kick bob", "outer 2"}),
         ResponseFrame({"inner"})});
  EchoSink sink(console_);
  console_.SetChatSink(&sink);
  const std::string* r = console_.RunConsoleCommand("admin.nrOfTKToKick");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(*r, "outer\nouter 2\n");
  EXPECT_EQ(sink.inner, "inner\n");
}

}  // namespace
}  // namespace varnholt::testing
