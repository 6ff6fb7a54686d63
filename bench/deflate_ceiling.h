// How fast a backup can be at most, given the deflaters at hand: every
// text corpus compressed one file per stream on one core, by zlib at
// level 9 (the loop the goals are measured against) and by libdeflate at
// its levels, with each one's size against zlib's and its speed. The
// fastest one whose streams are no larger than zlib's bounds what a backup
// on this machine's cores can gain on the one-thread loop and on peers that
// run zlib on every core.
#pragma once

#include <filesystem>

namespace bench {

int RunDeflateCeiling(const std::filesystem::path& work, int runs);

}  // namespace bench
