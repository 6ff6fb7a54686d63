#include "clients/outlook/outlook_strings.h"

namespace bkvp::outlook {

const clients::StringTable& Strings() {
  static const clients::StringTable table = {
      {100, "BkVpOutlook"},
      {101, "{DED5B099-CD13-4508-9B78-D5F8BAA6EFD5}"},
      {102, "{43945BC8-1EA3-4BEC-ADF0-87EC58D880E0}"},
      {103, "Outlook"},
      {104, "{53FA8AB8-13BA-4011-8007-A7998B8ED53B}"},
      {105, "backuper"},
      {106, "restorer"},
      {107, "Unknown object type"},
      {108,
       "One or more instances of Outlook are running.\r\nClose Outlook and press OK to try "
       "again, or press Cancel to abort operation."},
      {109,
       "One or more instances of Outlook are currently running.\r\nOutlook will be "
       "automatically closed in 60 seconds."},
      {110, "AutoClose"},
      {111, "AutoRestart"},
      {200, "001e6700"},
      {201, "01020fff"},
      {202,
       "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging "
       "Subsystem"},
      {203, "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows Messaging Subsystem"},
      {204, "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\8.0\\Outlook"},
      {205, "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\9.0\\Outlook"},
      {206, "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\Outlook"},
      {207,
       "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows Messaging "
       "Subsystem\\Profiles"},
      {208, "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows Messaging Subsystem\\Profiles"},
      {209,
       "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"},
      {210, "Local AppData"},
      {211, "/Microsoft/Outlook/extend.dat"},
      {212, "Termination failed"},
      {213, "Termination succeeded"},
      {214, "Termination canceled"},
      {215, "Restarting Outlook succeeded"},
      {216, "Restarting Outlook failed"},
      {217, "Operation canceled"},
  };
  return table;
}

}  // namespace bkvp::outlook
