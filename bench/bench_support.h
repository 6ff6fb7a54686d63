// What the benchmarks share: the generated corpora, the plain zlib loop they
// are measured against, and timing every step as its own process after
// dropping the page cache, in turns, medians of several runs.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace bench {

namespace fs = std::filesystem;

// Plain strings: a list of fs::path objects would cost the bench process
// more memory than the service it measures.
std::vector<std::string> FilesBelow(const fs::path& folder);
uint64_t FolderBytes(const fs::path& folder);
uint64_t FileBytes(const fs::path& path);  // 0 when missing or not a file

// The generated corpora below WORK/corpus, made once and reused:
// text (4 files x 6 MiB of word text), packed (random bytes under stored-as-is
// names, 64 MiB) and small (20,000 files of 512 B to 3.5 KiB, 100 folders).
struct Corpora {
  fs::path text, packed, small;
};
Corpora MakeCorpora(const fs::path& work);

// The peer the goals are measured against: one deflate stream per file,
// level 9, 64 KiB chunks in and out, written to one output file.
int ZlibLoop(const std::string& output, const fs::path& folder);
// The size of the stream that loop makes of one file.
uint64_t ZlibLevel9Bytes(const std::string& path);

struct Sample {
  double seconds = 0;
  long peakKiB = 0;  // the process's largest resident size
};

// One timed step: its command, where it runs, what it reads and writes,
// and variables set for it.
struct Step {
  std::vector<std::string> argv;
  fs::path cwd, inputs;
  std::vector<fs::path> outputs;
  std::vector<std::pair<std::string, std::string>> environment = {};
};

// Runs the steps of a comparison in turns (A B A B ...), so that a machine
// shared with other work loads them alike, and gives each step's median
// time and its largest peak memory. Before every run the step's outputs are
// removed, the file system synced, the page cache dropped and the inputs
// read once.
std::vector<Sample> Compare(int runs, const std::vector<Step>& steps);

void Row(const char* what, const Sample& s, double mb, double files, uint64_t outBytes);
void Goal(const char* what, double ratio, const char* relation, double goal);

}  // namespace bench
