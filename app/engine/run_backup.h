// A backup run: the selected clients of a ClientList saved into one archive
// through the archive writer, with the progress object and the log.
#pragma once

#include <functional>
#include <string>

#include "app/engine/backup_job.h"
#include "app/engine/client_list.h"
#include "app/engine/progress_display.h"
#include "contract/interfaces.h"

namespace bkvp::engine {

using BackuperFactory = std::function<HRESULT(bkvp::ComPtr<IBackuper>&)>;

struct BackupRunReport {
  std::string archivePath;
  int clientsRun = 0;
  int clientsFailed = 0;       // Backup returned a failure status
  bool stopped = false;        // an error exception ended the run; the archive was discarded
  bool errorStateSet = false;  // this run turned the error state on
  std::string problem;         // why the run could not start
};

// Appends "/" unless the folder already ends with one.
std::string WithTrailingSlash(std::string folder);

// destination ends with "/". Returns 0 when the run was carried out (clients
// may still have failed: see the report), a failure status when it could not
// start. The default factory creates the archive service's Backuper.
HRESULT RunBackup(const BackupJob& job, ClientList& clients, const std::string& destination,
                  ProgressDisplay* display, BackupRunReport* report = nullptr,
                  const BackuperFactory& createBackuper = {});

}  // namespace bkvp::engine
