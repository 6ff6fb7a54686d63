#include "app/engine/archive_verify.h"

#include <cstring>
#include <map>

#include "contract/errors.h"
#include "tests/support/test_support.h"

namespace bkvp::engine {
namespace {

using bkvp::testing::TempDir;
using bkvp::testing::WriteFile;

// Two client sections of empty file records: "Files" with two objects,
// "Mail" with one; every record is 22 bytes with weight 1.
std::string TwoClientLayout() {
  std::string bytes(394, '\0');
  bytes[0] = 'K', bytes[1] = 'V';
  bytes[390] = 2;
  auto entry = [](uint64_t offset, const char* clsid, const char* name) {
    std::string e(110, '\0');
    std::memcpy(e.data(), &offset, 8);  // little-endian host
    std::memcpy(e.data() + 8, clsid, std::strlen(clsid));
    std::memcpy(e.data() + 55, name, std::strlen(name));
    return e;
  };
  auto section = [](int objects) {
    std::string s(4, '\0');
    s[0] = char(objects);
    for (int i = 0; i < objects; ++i) {
      std::string record(22, '\0');
      record[10] = 1;  // weight
      s += record;
    }
    return s;
  };
  bytes += entry(614, "{A}", "Files") + entry(614 + 48, "{B}", "Mail");
  return bytes + section(2) + section(1);
}

// A reader over that layout whose "Mail" section gives up with the error
// exception, as the archive service does on damaged data.
class SectionReader : public bkvp::DispatchObject<IRestorer> {
 public:
  HRESULT SetProgress(IProgress*) override { return S_OK; }
  HRESULT GetVersionInfo(LONG* major, LONG* minor) override {
    *major = 2, *minor = 1;
    return S_OK;
  }
  HRESULT Reserved1(LONG*, LONG*, DATE*) override { return E_NOTIMPL; }
  HRESULT GetArchiveInfo(BSTR, BSTR* user, BSTR* machine, BSTR* label, DATE* time,
                         LONG* clients) override {
    *user = AllocBstr(""), *machine = AllocBstr(""), *label = AllocBstr("");
    *time = 0;
    *clients = 2;
    return S_OK;
  }
  HRESULT GetClient(INT index, BSTR* name, BSTR* clsid) override {
    *name = AllocBstr(index == 0 ? "Files" : "Mail");
    *clsid = AllocBstr(index == 0 ? "{A}" : "{B}");
    return S_OK;
  }
  HRESULT GetClientOptions(BSTR, VARIANT*) override { return E_NOTIMPL; }
  HRESULT Iterate(BSTR clsid) override {
    section_ = ToAnsi(clsid);
    position_ = 0;
    return S_OK;
  }
  HRESULT Next() override { return ++position_, S_OK; }
  HRESULT IsEnd(BOOL* end) override {
    *end = position_ >= (section_ == "{A}" ? 2 : 1);
    return S_OK;
  }
  HRESULT GetObjectInfo(USHORT* type, BSTR* name, LONG* weight) override {
    *type = kObjectFile;
    *name = AllocBstr("object");
    *weight = 1;
    return S_OK;
  }
  HRESULT RestoreFile(BSTR, LONG, BOOL) override {
    if (section_ == "{B}") throw ComError(E_FAIL);
    return S_OK;
  }
  HRESULT RestoreRegistryKey(BSTR) override { return E_NOTIMPL; }
  HRESULT GetObjectOptions(VARIANT*) override { return E_NOTIMPL; }
  HRESULT BeginRestoreString(LPSTR, LONG, LONG*, LONG*) override { return E_NOTIMPL; }
  HRESULT RestoreNextPartOfString(LPSTR, LONG, LONG*) override { return E_NOTIMPL; }

 private:
  std::string section_;
  int position_ = 0;
};

TEST(VerifyArchive, AReaderThatGivesUpNamesTheObjectWithinItsOwnSection) {
  TempDir dir;
  const std::string path = dir / "VOPALARC373E05.KV";
  WriteFile(path, TwoClientLayout());
  const VerifyResult result = VerifyArchive(path, [](ComPtr<IRestorer>& out) {
    out = ComPtr<IRestorer>::Attach(new SectionReader);
    return S_OK;
  });
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.objectsChecked, 2);
  // Mail's first object, not the third object of the archive.
  EXPECT_EQ(result.problem.rfind("client Mail, object 1:", 0), 0u) << result.problem;
}

}  // namespace
}  // namespace bkvp::engine
