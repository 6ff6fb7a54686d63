// How many threads the writer compresses with, and the reader inflates
// ahead with: the "Threads" value
// (REG_DWORD) under the program key HKEY_CURRENT_USER\SOFTWARE\Tarvik
// Systems\Backup Vopal, or BKVP_THREADS in the environment, which wins (the
// tests run both ways). Unset or 0: the number of cores. At most 8; 1 keeps
// all work on the calling thread.
#pragma once

namespace bkvp::archive {

constexpr int kMaxCompressionThreads = 8;

int ConfiguredCompressionThreads();
// `wanted` threads (at most kMaxCompressionThreads), or as configured when 0.
int CompressionThreads(int wanted);

}  // namespace bkvp::archive
