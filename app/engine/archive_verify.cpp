#include "app/engine/archive_verify.h"

#include "app/engine/archive_inspect.h"
#include "app/engine/archive_list.h"
#include "contract/component.h"
#include "contract/identifiers.h"
#include "contract/interfaces.h"

namespace bkvp::engine {

Result<int> VerifyArchive(const std::string& path, const CheckerFactory& createChecker) {
  if (Status layout = InspectArchive(path, {}); !layout.ok()) return layout;

  ComPtr<IArchiveCheck> checker;
  const HRESULT created =
      createChecker ? createChecker(checker) : CreateInstance(CLSID_ArchiveChecker, checker);
  if (Failed(created) || !checker)
    return createChecker
               ? Status(Status::Code::kNotRegistered, "the archive service cannot check archives")
               : CheckArchiveService();
  LONG objects = 0;
  Bstr problem;
  const HRESULT checked = checker->CheckArchive(Bstr(path).get(), &objects, problem.out());
  if (checked != S_OK || !problem.str().empty())
    return Status(Status::Code::kDamaged,
                  problem.str().empty() ? "the archive cannot be checked" : problem.str());
  return static_cast<int>(objects);
}

}  // namespace bkvp::engine
