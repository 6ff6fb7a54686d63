// The shared part of every client's service object: the answers to the
// program's questions that all six give alike, the string table and icons,
// and the waits of closing. A client derives from it and implements
// ClientPresent, Backup and Restore (and overrides what it answers
// differently). A null out-pointer is answered with E_POINTER throughout.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "clients/common/ask_until_closed.h"
#include "clients/common/embedded_icons.h"
#include "clients/common/running_program.h"
#include "clients/common/string_table.h"
#include "contract/interfaces.h"
#include "contract/unknown.h"

namespace bkvp::clients {

constexpr int kDefaultClientIcon = 201;

// Every wait a client may block on; the defaults are a real run's.
struct FrameWaits {
  CloseWaits close;
  AskLimits ask;
};

// Writes a flag the way the clients do: only the low 16 bits of the caller's
// BOOL (1 for true unless another value is given, 0 for false); the upper half
// keeps what the caller put there. E_POINTER for a null pointer, else S_OK.
HRESULT WriteFlag16(BOOL* flag, uint16_t value);

class ClientServiceBase : public bkvp::DispatchObject<IBkVpService> {
 public:
  // Both pages exist for every client: the flag becomes 1.
  HRESULT HasAxBackup(BOOL* value) override;
  HRESULT HasAxRestore(BOOL* value) override;
  // New strings with text 101 / 102; E_POINTER for a null pointer.
  HRESULT GetAxBackupCLSID(BSTR* value) override;
  HRESULT GetAxRestoreCLSID(BSTR* value) override;
  // "ClientName": cleared, then a string with the display name.
  // "ClientIcon": the handle of ClientIconId() into the 32-bit value field
  // (type tag kept). "VersionMajor" / "VersionMinor": the product version's
  // high / low word into the value field (type tag kept). "HasBackup":
  // AnswerHasBackup. Names compare ignoring letter case, so "clientname"
  // asks for "ClientName"; any other name gives E_INVALIDARG.
  HRESULT GetClientInfo(BSTR propertyName, VARIANT* value) override;
  // E_INVALIDARG when the type tag has none of the bits 0x2011; otherwise
  // the option bytes (when the variant really is a byte array) go to
  // KeepOptionBytes and the answer is S_OK.
  HRESULT SetOptions(VARIANT options) override;
  // S_OK without writing anything.
  HRESULT GetOptions(VARIANT* options) override;

  void SetWaits(const FrameWaits& waits) { waits_ = waits; }
  const FrameWaits& Waits() const { return waits_; }

  std::string Text(int id) const { return strings_.Load(id); }
  std::string DisplayName() const { return strings_.DisplayName(); }
  std::string ServiceClsid() const { return strings_.ServiceClsid(); }

 protected:
  ClientServiceBase(const StringTable& strings, const IconSet& icons);

  // Icon number for "ClientIcon"; 0 writes 0 (no icon).
  virtual int ClientIconId() { return kDefaultClientIcon; }
  // "HasBackup": S_OK with the variant untouched (the mail clients); the
  // others answer a string, empty when nothing speaks against a backup.
  virtual HRESULT AnswerHasBackup(VARIANT* value);
  // The bytes of an accepted option array; kept by nobody by default.
  virtual void KeepOptionBytes(const std::vector<uint8_t>& bytes);

  const StringTable& strings_;
  const IconSet& icons_;

 private:
  FrameWaits waits_;
};

}  // namespace bkvp::clients
