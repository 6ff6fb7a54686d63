// bkvp reg: import, export and query the registry store in .reg text.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "platform/registry.h"

namespace bkvp::cli {
namespace {

constexpr int kFailed = 1;
constexpr int kUsageError = 2;

constexpr const char* kHelp =
    "usage: bkvp reg import FILE\n"
    "       bkvp reg export KEY [FILE]\n"
    "       bkvp reg query KEY [VALUE]\n"
    "\n"
    "KEY is a full key path such as HKEY_CURRENT_USER\\Software\\Example.\n"
    "\n"
    "  import  applies a REGEDIT4 .reg file: all of it, or nothing when any line\n"
    "          is wrong (\"[-KEY]\" deletes a key, \"name\"=- deletes a value)\n"
    "  export  writes the key and its whole subtree as REGEDIT4 text, to FILE or\n"
    "          to the standard output\n"
    "  query   prints the key's values, or the one named, in .reg syntax\n";

int Usage() {
  std::cerr << kHelp;
  return kUsageError;
}

int Import(const std::vector<std::string>& args) {
  if (args.size() != 2) return Usage();
  const platform::RegFileResult result = platform::ImportRegFile(args[1]);
  if (!result.ok) {
    std::cerr << "bkvp reg import: " << args[1] << ": " << result.error << "\n";
    return kFailed;
  }
  return 0;
}

int Export(const std::vector<std::string>& args) {
  if (args.size() != 2 && args.size() != 3) return Usage();
  std::string text;
  const platform::RegFileResult result = platform::ExportRegText(args[1], text);
  if (!result.ok) {
    std::cerr << "bkvp reg export: " << result.error << "\n";
    return kFailed;
  }
  if (args.size() == 2) {
    std::cout << text;
    return std::cout.flush() ? 0 : kFailed;
  }
  std::ofstream out(args[2], std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) {
    std::cerr << "bkvp reg export: cannot write " << args[2] << "\n";
    return kFailed;
  }
  return 0;
}

// Prints one value of an open key; false when it is missing.
bool PrintValue(platform::HKEY key, const std::string& name) {
  uint32_t type = 0, size = 0;
  if (platform::RegQueryValue(key, name.c_str(), &type, nullptr, &size) != platform::ERROR_SUCCESS)
    return false;
  std::vector<uint8_t> data(size);
  if (platform::RegQueryValue(key, name.c_str(), &type, data.data(), &size) !=
      platform::ERROR_SUCCESS)
    return false;
  data.resize(size);
  std::cout << platform::FormatRegValue(name, type, data) << "\n";
  return true;
}

int Query(const std::vector<std::string>& args) {
  if (args.size() != 2 && args.size() != 3) return Usage();
  platform::RegKeyHandle key;
  if (const auto status = platform::RegOpenKeyPath(args[1], key.out())) {
    std::cerr << "bkvp reg query: " << args[1] << ": "
              << (status == platform::ERROR_FILE_NOT_FOUND ? std::string("no such key")
                                                           : platform::ErrorMessage(status))
              << "\n";
    return kFailed;
  }
  if (args.size() == 3) {
    if (PrintValue(key.get(), args[2])) return 0;
    std::cerr << "bkvp reg query: " << args[1] << ": no value named \"" << args[2] << "\"\n";
    return kFailed;
  }
  char name[platform::kMaxRegistryName + 1];
  for (uint32_t index = 0;; ++index) {
    uint32_t nameSize = sizeof name;
    if (platform::RegEnumValue(key.get(), index, name, &nameSize, nullptr, nullptr, nullptr) !=
        platform::ERROR_SUCCESS)
      break;
    PrintValue(key.get(), std::string(name, nameSize));
  }
  return 0;
}

int Run(const std::vector<std::string>& args) {
  if (args.empty()) return Usage();
  if (args[0] == "import") return Import(args);
  if (args[0] == "export") return Export(args);
  if (args[0] == "query") return Query(args);
  std::cerr << "bkvp reg: unknown action '" << args[0] << "'\n";
  return Usage();
}

const CommandRegistrar kRegistrar{
    Command{"reg", "import, export and query the registry store (.reg text)", kHelp, Run}};

}  // namespace
}  // namespace bkvp::cli
