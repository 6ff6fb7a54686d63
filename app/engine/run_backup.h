// A backup run: the selected clients of a ClientList saved into one archive
// through the archive writer, with the progress object and the log.
//
// Threading: a run, and every call it makes into the clients, the archive
// service and the ProgressDisplay, happens on the calling thread. While it
// works, the archive service calls the platform's message-pump hook after each
// step, so a front end with an event loop stays responsive by installing a
// hook that processes its pending events (and must not start another run
// from them). A CancelRequest may be set from anywhere: an event handler run
// by that hook, another thread or a signal handler.
#pragma once

#include <functional>
#include <string>

#include "app/engine/backup_job.h"
#include "app/engine/cancel_request.h"
#include "app/engine/client_list.h"
#include "app/engine/component_factories.h"
#include "app/engine/progress_display.h"
#include "app/engine/run_outcome.h"

namespace bkvp::engine {

// Appends "/" unless the folder already ends with one.
std::string WithTrailingSlash(std::string folder);

// destination ends with "/". The default factory creates the archive
// service's Backuper.
RunOutcome RunBackup(const BackupJob& job, ClientList& clients, const std::string& destination,
                     ProgressDisplay* display, const CancelRequest* cancel = nullptr,
                     const BackuperFactory& createBackuper = {});

}  // namespace bkvp::engine
