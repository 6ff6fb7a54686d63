// Corpora made of this machine's own files, for the end-to-end bench: real
// text, real small files and real compressed data, in the amounts a user's
// folders hold, beside the generated corpora of bench_support.h. Each is
// made once below WORK/corpus and reused (a ".done" file marks it
// complete), so the runs of one machine compare alike.
#pragma once

#include <filesystem>

namespace bench {

namespace fs = std::filesystem;

struct SystemCorpora {
  // /usr/include, then manual pages decompressed, up to 200 MB.
  fs::path text;
  // 20,000 files of 1 to 8 KiB cut one after another from those text
  // files, 100 to a folder, two levels deep.
  fs::path small;
  // The system's own .gz, .jpg and .jpeg files above 16 KiB, then its
  // cached packages (.deb), up to 200 MB.
  fs::path compressed;
};
SystemCorpora MakeSystemCorpora(const fs::path& work);

// About 150 MB of cached packages, then every .jpg, .jpeg and .xz file above
// 16 KiB found below /usr/share, /usr/lib, /root and /var/log.
fs::path MakeCompressedCorpus(const fs::path& work);

}  // namespace bench
