#include "contract/icons.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

namespace {

std::vector<uint8_t> Picture(int seed) {
  return {0x89, 'P', 'N', 'G', uint8_t(seed), uint8_t(seed >> 8)};
}

TEST(IconTable, SameBytesGiveTheSameHandleFromAnyThread) {
  constexpr int kThreads = 4, kIcons = 50;
  std::vector<std::vector<uint32_t>> handles(kThreads, std::vector<uint32_t>(kIcons));
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([t, &handles] {
      for (int i = 0; i < kIcons; ++i) {
        const auto png = Picture(1000 + i);  // equal bytes at another address each time
        handles[t][i] = bkvp::RegisterIcon(png.data(), png.size());
      }
    });
  for (auto& thread : threads) thread.join();
  const std::set<uint32_t> distinct(handles[0].begin(), handles[0].end());
  EXPECT_EQ(distinct.size(), size_t{kIcons});
  EXPECT_EQ(distinct.count(0), 0u);
  for (int t = 1; t < kThreads; ++t) EXPECT_EQ(handles[t], handles[0]);
  for (int i = 0; i < kIcons; ++i) EXPECT_EQ(bkvp::IconBytes(handles[0][i]), Picture(1000 + i));
}

TEST(IconTable, KeepsTheSourcePathOnceKnownAndRefusesUnknownHandles) {
  const auto png = Picture(3);
  const uint32_t h = bkvp::RegisterIcon(png.data(), png.size());
  EXPECT_FALSE(bkvp::IconPath(h));
  EXPECT_EQ(bkvp::RegisterIcon(png.data(), png.size(), "/icons/a.png"), h);
  bkvp::RegisterIcon(png.data(), png.size());
  EXPECT_EQ(bkvp::IconPath(h), "/icons/a.png");
  EXPECT_FALSE(bkvp::IconBytes(0));
  EXPECT_FALSE(bkvp::IconBytes(0xFFFFFFFF));
}

}  // namespace
