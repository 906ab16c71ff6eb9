#include "platform/instance_channel.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/files.h"
#include "support/temp_folder.h"

namespace varnholt {
namespace {

using testing::TempFolder;

TEST(InstanceChannelTest, BroadcastReachesOthersNotSelfAndClearsDeadSockets) {
  TempFolder tmp;
  std::string folder = tmp.Sub("rt");
  InstanceChannel a(folder);
  ASSERT_TRUE(a.Open());
  // Another instance, in a child process so it has its own pid.
  int ready[2], done[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(done), 0);
  pid_t child = fork();
  if (child == 0) {
    InstanceChannel b(folder);
    if (!b.Open()) _exit(2);
    char c = 1;
    if (write(ready[1], &c, 1) != 1) _exit(2);
    InstancePacket p{};
    for (int i = 0; i < 500 && !b.Receive(&p); ++i) usleep(10000);
    _exit(p.message == kVrnhQuery && p.pid == 1234 ? 0 : 1);
  }
  char c;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  EXPECT_EQ(a.Broadcast(kVrnhQuery, 1234), 1);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_EQ(WEXITSTATUS(status), 0);

  // A socket left by an instance that died without cleaning up is removed on the next send.
  tmp.Write("rt/999999.instance", "");
  InstancePacket p{};
  EXPECT_FALSE(a.Receive(&p));  // nothing sent to itself
  a.Broadcast(kVrnhReply, 1);
  EXPECT_FALSE(FileExists(tmp.Sub("rt/999999.instance")));
  a.Close();
  std::vector<std::string> names;
  ASSERT_TRUE(ListFolder(folder, &names));
  EXPECT_TRUE(names.empty());
  close(ready[0]);
  close(ready[1]);
  close(done[0]);
  close(done[1]);
}

}  // namespace
}  // namespace varnholt
