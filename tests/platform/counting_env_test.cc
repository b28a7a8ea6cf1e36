#include "platform/counting_env.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/mem_env.h"

namespace labrena {
namespace {

using Call = CountingEnv::Call;

TEST(CountingEnvTest, CountsEveryCallOnceAndPassesItOn) {
  MemEnv base;
  base.Put("A.DAT", "abc");
  CountingEnv env(base);
  EXPECT_TRUE(env.Exists("a.dat"));
  EXPECT_FALSE(env.Exists("B.DAT"));
  // A refused open counts as well; the calls on an open file count with
  // the Env's.
  EXPECT_FALSE(env.Open("NONE.DAT", OpenMode::kRead));
  auto file = env.Open("A.DAT", OpenMode::kRead);
  ASSERT_TRUE(file);
  char buf[8];
  std::size_t got = 0;
  EXPECT_TRUE(file->ReadAt(0, buf, sizeof(buf), &got));
  EXPECT_EQ(std::string(buf, got), "abc");
  std::int64_t size = 0;
  EXPECT_TRUE(file->Size(&size));
  EXPECT_EQ(size, 3);
  EXPECT_TRUE(file->Close());
  // A move counts as the calls it is made of.
  EXPECT_EQ(env.Move("A.DAT", "B.DAT"), 0);
  EXPECT_TRUE(base.Exists("B.DAT"));
  EXPECT_FALSE(base.Exists("A.DAT"));

  EXPECT_EQ(env.count(Call::kExists), 2);
  EXPECT_EQ(env.count(Call::kOpen), 2);
  EXPECT_EQ(env.count(Call::kReadAt), 1);
  EXPECT_EQ(env.count(Call::kSize), 1);
  EXPECT_EQ(env.count(Call::kClose), 1);
  EXPECT_EQ(env.count(Call::kRename), 1);
  EXPECT_EQ(env.total(), 8);
  // The system services are not file operations.
  env.SleepMs(10);
  env.Now();
  EXPECT_EQ(env.SystemTempPath(), base.SystemTempPath());
  EXPECT_EQ(env.total(), 8);
}

TEST(CountingEnvTest, EveryKindHasANameOfItsOwn) {
  std::set<std::string> names;
  for (int kind = 0; kind < CountingEnv::kKinds; ++kind) {
    std::string name = CountingEnv::Name(static_cast<Call>(kind));
    EXPECT_FALSE(name.empty()) << kind;
    names.insert(name);
  }
  EXPECT_EQ(names.size(), static_cast<std::size_t>(CountingEnv::kKinds));
}

}  // namespace
}  // namespace labrena
