// The entry points of a client's page module, in one line of its source:
//
//   BKVP_EXPORT_PAGE_MODULE(Strings(), kClasses, BackupPage, RestorePage)
//
// where BackupPage and RestorePage are the PageContent classes of the pages.
#pragma once

#include "clients/common/client_module.h"
#include "clients/common/pages/page_control.h"

#define BKVP_EXPORT_PAGE_MODULE(strings, classes, BackupPage, RestorePage)               \
  namespace {                                                                            \
  const ::bkvp::ModuleDefinition& PageModuleDefinition() {                               \
    static const ::bkvp::ModuleDefinition definition = ::bkvp::clients::MakePageModule(  \
        strings, classes, &::bkvp::pages::CreatePage<::bkvp::IBkVpAxBackup, BackupPage>, \
        &::bkvp::pages::CreatePage<::bkvp::IBkVpAxRestore, RestorePage>);                \
    return definition;                                                                   \
  }                                                                                      \
  }                                                                                      \
  BKVP_EXPORT_MODULE(PageModuleDefinition)
