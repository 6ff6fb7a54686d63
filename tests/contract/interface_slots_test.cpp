// Pins the vtable slot of every contract method: modules built apart call
// each other by slot, so a reordered or inserted method breaks them silently.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "contract/interfaces.h"

using namespace bkvp;

namespace {

constexpr long kNotVirtual = -1;

// The vtable slot named by a pointer to a virtual member function. Under the
// Itanium C++ ABI such a pointer holds 1 + the slot's byte offset in the
// vtable; a non-virtual one holds an even code address.
template <class C, class R, class... A>
long SlotOf(R (C::*method)(A...)) {
  static_assert(sizeof method == 2 * sizeof(ptrdiff_t), "Itanium member pointer layout");
  ptrdiff_t raw;
  std::memcpy(&raw, &method, sizeof raw);
  if (raw % 2 != 1) return kNotVirtual;
  return static_cast<long>((raw - 1) / static_cast<ptrdiff_t>(sizeof(void*)));
}

// Slots are listed in declaration order; they must run on from `first`.
void ExpectSlotsFrom(long first, std::initializer_list<long> slots) {
  long expected = first;
  for (long slot : slots) EXPECT_EQ(slot, expected++) << "method number " << expected - first;
}

// Slots 0-6 seen through the derived interface I.
template <class I>
void ExpectUnknownAndDispatchSlots() {
  ExpectSlotsFrom(0, {SlotOf(&I::QueryInterface), SlotOf(&I::AddRef), SlotOf(&I::Release),
                      SlotOf(&I::GetTypeInfoCount), SlotOf(&I::GetTypeInfo),
                      SlotOf(&I::GetIDsOfNames), SlotOf(&I::Invoke)});
}

// The three methods shared by the backup and restore pages.
template <class Page>
void ExpectPageSlots() {
  ExpectUnknownAndDispatchSlots<Page>();
  ExpectSlotsFrom(
      7, {SlotOf(&Page::PersistSettings), SlotOf(&Page::SettingsChanged), SlotOf(&Page::Validate)});
}

struct NonVirtual {
  int Plain() { return 0; }
};

TEST(InterfaceSlots, HelperTellsVirtualFromPlainMembers) {
  EXPECT_EQ(SlotOf(&NonVirtual::Plain), kNotVirtual);
  EXPECT_EQ(SlotOf(&IUnknown::Release), 2);
}

TEST(InterfaceSlots, UnknownClassFactoryAndDispatch) {
  ExpectSlotsFrom(
      0, {SlotOf(&IUnknown::QueryInterface), SlotOf(&IUnknown::AddRef), SlotOf(&IUnknown::Release),
          SlotOf(&IClassFactory::CreateInstance), SlotOf(&IClassFactory::LockServer)});
  ExpectUnknownAndDispatchSlots<IDispatch>();
}

TEST(InterfaceSlots, Progress) {
  ExpectUnknownAndDispatchSlots<IProgress>();
  ExpectSlotsFrom(7, {SlotOf(&IProgress::Clean), SlotOf(&IProgress::FirstStep),
                      SlotOf(&IProgress::NextStep), SlotOf(&IProgress::Message),
                      SlotOf(&IProgress::Prompt), SlotOf(&IProgress::ClientError)});
}

TEST(InterfaceSlots, Backuper) {
  using I = IBackuper;
  ExpectUnknownAndDispatchSlots<I>();
  ExpectSlotsFrom(
      7, {SlotOf(&I::SetProgress), SlotOf(&I::SetVersionInfo), SlotOf(&I::Reserved1),
          SlotOf(&I::SetArchiveInfo), SlotOf(&I::BeginClient), SlotOf(&I::EndClient),
          SlotOf(&I::BackupFile), SlotOf(&I::BackupRegistryKey), SlotOf(&I::SetClientOptions),
          SlotOf(&I::GetClientOptions), SlotOf(&I::GetLastError), SlotOf(&I::StartBackup),
          SlotOf(&I::FinishBackup), SlotOf(&I::BeginBackupString),
          SlotOf(&I::BackupNextPartOfString), SlotOf(&I::EndBackupString)});
}

TEST(InterfaceSlots, Restorer) {
  using I = IRestorer;
  ExpectUnknownAndDispatchSlots<I>();
  ExpectSlotsFrom(
      7, {SlotOf(&I::SetProgress), SlotOf(&I::GetVersionInfo), SlotOf(&I::Reserved1),
          SlotOf(&I::GetArchiveInfo), SlotOf(&I::GetClient), SlotOf(&I::GetClientOptions),
          SlotOf(&I::Iterate), SlotOf(&I::Next), SlotOf(&I::IsEnd), SlotOf(&I::GetObjectInfo),
          SlotOf(&I::RestoreFile), SlotOf(&I::RestoreRegistryKey), SlotOf(&I::GetObjectOptions),
          SlotOf(&I::BeginRestoreString), SlotOf(&I::RestoreNextPartOfString)});
}

TEST(InterfaceSlots, ArchiveCheck) {
  using I = IArchiveCheck;
  ExpectUnknownAndDispatchSlots<I>();
  ExpectSlotsFrom(7, {SlotOf(&I::CheckArchive), SlotOf(&I::FileSizes)});
}

TEST(InterfaceSlots, Service) {
  using I = IBkVpService;
  ExpectUnknownAndDispatchSlots<I>();
  ExpectSlotsFrom(7, {SlotOf(&I::Backup), SlotOf(&I::Restore), SlotOf(&I::HasAxBackup),
                      SlotOf(&I::HasAxRestore), SlotOf(&I::ClientPresent),
                      SlotOf(&I::GetAxBackupCLSID), SlotOf(&I::GetAxRestoreCLSID),
                      SlotOf(&I::GetClientInfo), SlotOf(&I::SetOptions), SlotOf(&I::GetOptions)});
}

TEST(InterfaceSlots, Pages) {
  ExpectPageSlots<IBkVpAxBackup>();
  ExpectPageSlots<IBkVpAxRestore>();
  using I = IBkVpControlSite;
  ExpectUnknownAndDispatchSlots<I>();
  ExpectSlotsFrom(7, {SlotOf(&I::CreateControl), SlotOf(&I::ShowControl), SlotOf(&I::HideControl),
                      SlotOf(&I::DestroyControl), SlotOf(&I::MoveControl)});
}

}  // namespace
