#include "clients/netscape/netscape_edition.h"

#include "clients/common/collect_files.h"
#include "clients/common/registry_access.h"
#include "platform/files.h"
#include "platform/sysinfo.h"

namespace bkvp::netscape {

namespace {

constexpr const char* kNetscape7Key = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Netscape\\Netscape";
constexpr const char* kNetscape6Key =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Netscape\\Netscape 6\\6.0 (en)\\Main";

bool IsFile(const std::string& path) {
  const uint32_t attributes = platform::GetFileAttributes(path);
  return attributes != platform::INVALID_FILE_ATTRIBUTES &&
         (attributes & platform::FILE_ATTRIBUTE_DIRECTORY) == 0;
}

NetscapeEdition MakeEdition(int generation, const char (&serviceClsid)[39],
                            const char (&backupPageClsid)[39], const char (&restorePageClsid)[39],
                            const char (&typeLibrary)[39], std::string programModule,
                            bool chromeStyleSheets, bool (*installed)()) {
  const std::string number = std::to_string(generation);
  const std::string name = "Netscape " + number;
  return NetscapeEdition{
      generation,
      GuidFromString(serviceClsid).value(),
      GuidFromString(backupPageClsid).value(),
      GuidFromString(restorePageClsid).value(),
      clients::ClientClasses{GuidFromString(typeLibrary).value(), "BkVpNetscape" + number + "Srv",
                             "BkVpAxBkNetscape" + number, "BkVpAxRsNetscape" + number},
      std::move(programModule),
      chromeStyleSheets,
      clients::StringTable{
          {clients::kStrModuleName, "BkVpNetscape" + number},
          {clients::kStrBackupPageClsid, backupPageClsid},
          {clients::kStrRestorePageClsid, restorePageClsid},
          {clients::kStrDisplayName, name},
          {clients::kStrServiceClsid, serviceClsid},
          {kStrRunningWithProfile, name + " is running with selected profile.\nClose Netscape and "
                                          "press OK to continue or press Cancel to abort "
                                          "operation."},
          {kStrUnknownObject, "Unknown object"},
          {kStrRunningBackupStopped,
           "One or more instances of " + name + " is currently running. Backup terminated."},
          {kStrBackuper, "backuper"},
          {kStrRestorer, "restorer"},
          {kStrRestoreCanceled, name + " restore canceled by user"},
      },
      installed};
}

}  // namespace

bool Netscape7Installed() {
  const std::string version = clients::ReadString(kNetscape7Key, "CurrentVersion");
  if (version.empty()) return false;
  const std::string mainKey =
      clients::JoinKeyPath(clients::JoinKeyPath(kNetscape7Key, version), "Main");
  const std::string program = clients::ReadString(mainKey, "PathToExe");
  if (program.empty() || !IsFile(program)) return false;
  const std::optional<platform::VersionBlock> block = platform::ReadFileVersionBlock(program);
  return block && (block->fileHigh >> 16) == 7;
}

bool Netscape6Installed() {
  const std::string folder = clients::ReadString(kNetscape6Key, "Install Directory");
  return !folder.empty() && IsFile(platform::JoinPath(folder, "netscp6.exe"));
}

const NetscapeEdition& Netscape6Edition() {
  static const NetscapeEdition edition = MakeEdition(
      6, "{13FDAABA-B599-4705-A50F-F2C51DBDF9F1}", "{FCAE0944-F8AF-44EB-BBB0-EA796F0F072F}",
      "{4D3882E5-A2A4-4160-99F0-AFB656F16141}", "{A3A71A10-55E5-4829-A760-BA8F930BC87E}",
      "netscp6.exe", false, &Netscape6Installed);
  return edition;
}

const NetscapeEdition& Netscape7Edition() {
  static const NetscapeEdition edition = MakeEdition(
      7, "{FCA2981A-71DE-4974-AD4D-02DAF60B1084}", "{812BF0A7-59CB-4FD8-ABDB-CA5581D07EA0}",
      "{BB363526-62E5-4514-8F22-C464617B66D2}", "{F511A17C-DDDA-4BF2-847B-B84C3F6B9632}",
      "Netscp.exe", true, &Netscape7Installed);
  return edition;
}

}  // namespace bkvp::netscape
