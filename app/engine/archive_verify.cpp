#include "app/engine/archive_verify.h"

#include "app/engine/archive_inspect.h"
#include "app/engine/archive_list.h"
#include "contract/component.h"
#include "contract/identifiers.h"

namespace bkvp::engine {

VerifyResult VerifyArchive(const std::string& path, const CheckerFactory& createChecker) {
  VerifyResult result;
  const Status layout = InspectArchive(path, {});
  result.checked = layout.ok() || layout.code() == Status::Code::kDamaged;
  result.problem = layout.message();
  if (!layout.ok()) return result;

  ComPtr<IArchiveCheck> checker;
  const HRESULT created =
      createChecker ? createChecker(checker) : CreateInstance(CLSID_ArchiveChecker, checker);
  if (Failed(created) || !checker) {
    result.checked = false;
    result.problem =
        createChecker ? "the archive service cannot check archives" : ArchiveServiceProblem();
    return result;
  }
  LONG objects = 0;
  Bstr problem;
  const HRESULT checked = checker->CheckArchive(Bstr(path).get(), &objects, problem.out());
  result.objectsChecked = static_cast<int>(objects);
  result.problem = problem.str();
  if (checked != S_OK && result.problem.empty()) result.problem = "the archive cannot be checked";
  result.ok = checked == S_OK && result.problem.empty();
  return result;
}

}  // namespace bkvp::engine
