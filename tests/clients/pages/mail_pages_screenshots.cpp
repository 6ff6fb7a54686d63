// mail_pages_screenshots OUTDIR: renders the backup and restore pages of the
// mail and browser clients, each over an installation of its program, and
// saves them as page-<module>-backup.png and page-<module>-restore.png.
// Uses the display it finds (under xvfb-run, say), else renders offscreen;
// its registry and profiles live in a temporary BKVP_HOME.
#include <cstdlib>

#include "clients/common/client_options.h"
#include "clients/navigator/navigator_options.h"
#include "clients/navigator/pages/navigator_backup_page.h"
#include "clients/navigator/pages/navigator_restore_page.h"
#include "clients/netscape/pages/netscape_backup_page.h"
#include "clients/netscape/pages/netscape_restore_page.h"
#include "clients/outlook/pages/outlook_backup_page.h"
#include "clients/outlookexp/pages/outlookexp_pages.h"
#include "tests/clients/common/pages/page_shots.h"
#include "tests/clients/pages/installations.h"

namespace bkvp::pages::testing {
namespace {

using netscape::pages::NetscapeBackupPageOf;
using netscape::pages::NetscapeRestorePageOf;

constexpr QSize kPageSize(600, 440);

// The page as the wizard shows it, loaded right after it was created.
template <class Page>
void Shoot(bkvp::testing::Shots& shots, const QString& name) {
  QWidget frame;
  bkvp::testing::InFrame<Page>(frame, kPageSize).LoadSettings();
  shots.Save(frame, name);
}

template <class BackupPage, class RestorePage>
void ShootBoth(bkvp::testing::Shots& shots, const QString& module) {
  Shoot<BackupPage>(shots, "page-" + module + "-backup.png");
  Shoot<RestorePage>(shots, "page-" + module + "-restore.png");
}

// Every program installed; the browsers with two profiles, the second one
// current; the close switches on, so that the restart boxes can be used; and
// the item selection a Netscape 4.x archive brings.
void InstallEverything(const std::string& root) {
  InstallOutlookExpress();
  InstallOutlook(outlook::kGeneration9);
  InstallNavigator();
  const std::string profiles = root + "/Application Data/Mozilla/Profiles";
  WriteBrowserProfiles(root + "/Application Data",
                       {{"default", profiles + "/default/k2v8bq1m.slt"},
                        {"Mail at work", profiles + "/Mail at work/w4d7xe0c.slt"}},
                       "Mail at work");
  for (int generation : {6, 7}) {
    InstallNetscape(generation, root + "/Netscape " + std::to_string(generation));
    const std::string clsid = generation == 6 ? netscape::Netscape6Edition().ServiceClsidText()
                                              : netscape::Netscape7Edition().ServiceClsidText();
    clients::WriteDword(clients::ClientOptionKey(clsid, clients::kBackuperSubkey),
                        clients::kOptAutoClose, 1);
  }
  clients::WriteDword(
      clients::ClientOptionKey(outlook::Strings().ServiceClsid(), clients::kBackuperSubkey),
      clients::kOptAutoClose, 1);
  clients::WriteDword(navigator::BackuperKey(), navigator::kOptCloseIfRun, 1);
  // What an archive's options give the Netscape 4.x restore page.
  navigator::ReplaceItemSelection(navigator::RestorerKey(), {1, 1, 1, 1, 1, 1, 1, 1});
}

int Run(const QString& folder) {
  bkvp::testing::Shots shots("mail_pages_screenshots", folder);
  InstallEverything(std::getenv("BKVP_HOME"));
  ShootBoth<outlookexp::pages::OutlookExpBackupPage, outlookexp::pages::OutlookExpRestorePage>(
      shots, "outlookexp");
  ShootBoth<outlook::pages::OutlookBackupPage, outlook::pages::OutlookRestorePage>(shots,
                                                                                   "outlook");
  ShootBoth<navigator::pages::NavigatorBackupPage, navigator::pages::NavigatorRestorePage>(
      shots, "navigator4x");
  ShootBoth<NetscapeBackupPageOf<&netscape::Netscape6Edition>,
            NetscapeRestorePageOf<&netscape::Netscape6Edition>>(shots, "netscape6");
  ShootBoth<NetscapeBackupPageOf<&netscape::Netscape7Edition>,
            NetscapeRestorePageOf<&netscape::Netscape7Edition>>(shots, "netscape7");
  return shots.failed() ? 1 : 0;
}

}  // namespace
}  // namespace bkvp::pages::testing

int main(int argc, char** argv) {
  return bkvp::testing::RunScreenshotProgram(argc, argv, bkvp::pages::testing::Run);
}
