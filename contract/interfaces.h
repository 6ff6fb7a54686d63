// The interfaces through which the program, the archive service and the
// clients meet. The declaration order is the vtable slot order: slots 0-6 are
// IUnknown and IDispatch, each interface's own methods follow from slot 7.
// Never reorder, insert or remove a method.
#pragma once

#include "contract/bstr.h"
#include "contract/com_types.h"
#include "contract/guid.h"
#include "contract/unknown.h"
#include "contract/variant.h"

namespace bkvp {

// Progress and prompt sink, implemented by the program.
struct IProgress : IDispatch {
  static constexpr IID kIid = MakeGuid("{B9AEDAC9-BE24-421B-9552-2B085972DC2C}");
  virtual HRESULT Clean() = 0;                                       // 7
  virtual HRESULT FirstStep(BSTR clientName, LONG totalWeight) = 0;  // 8
  virtual HRESULT NextStep(BSTR objectName, LONG weight) = 0;        // 9
  virtual HRESULT Message(BSTR msg) = 0;                             // 10
  virtual HRESULT Prompt(BSTR text, UINT type, INT* button) = 0;     // 11
  virtual HRESULT ClientError(HRESULT errCode, BSTR errMsg, INT defaultButton,
                              INT* button) = 0;  // 12

 protected:
  ~IProgress() = default;
};

// The Prompt style of one question of the clients to the program: may the
// files of a client go back to a folder the archive names, where the client
// keeps no data on this machine? Yes and No with a question mark, No the
// default, so that an unattended run leaves them out. A program that was
// told beforehand to restore to the saved places answers Yes to it.
constexpr UINT kPromptRestoreToSavedPlace = 0x124;

// FinishBackup's answer when a file already has the archive's name: the
// finished archive waits in its temporary file, and after SetArchiveInfo
// names another path in the same folder FinishBackup places it there
// (FinishBackup(1) discards it). An archive never replaces a file.
constexpr HRESULT E_ARCHIVE_NAME_TAKEN = static_cast<HRESULT>(0x80070050);

// Archive writer, implemented by Backuper.
struct IBackuper : IDispatch {
  static constexpr IID kIid = MakeGuid("{6742D8B5-D63F-422B-B58E-482163E05964}");
  virtual HRESULT SetProgress(IProgress* progress) = 0;        // 7
  virtual HRESULT SetVersionInfo(LONG major, LONG minor) = 0;  // 8
  virtual HRESULT Reserved1(LONG, LONG, DATE) = 0;             // 9
  virtual HRESULT SetArchiveInfo(BSTR archiveName, BSTR userName, BSTR machineName, BSTR label,
                                 DATE time, LONG clients) = 0;                    // 10
  virtual HRESULT BeginClient(BSTR clientName, BSTR clsid, INT totalWeight) = 0;  // 11
  virtual HRESULT EndClient(INT deleteClient) = 0;                                // 12
  virtual HRESULT BackupFile(BSTR fileName, BSTR localName, BSTR actionName, INT weight,
                             BOOL writeInLog) = 0;                                   // 13
  virtual HRESULT BackupRegistryKey(BSTR keyName, BSTR actionName, INT weight) = 0;  // 14
  virtual HRESULT SetClientOptions(BSTR clsid, BSTR name, VARIANT options) = 0;      // 15
  virtual HRESULT GetClientOptions(BSTR clsid, VARIANT* options) = 0;                // 16
  virtual HRESULT GetLastError(INT* errCode, BSTR* text) = 0;                        // 17
  virtual HRESULT StartBackup() = 0;                                                 // 18
  virtual HRESULT FinishBackup(INT erase) = 0;                                       // 19
  virtual HRESULT BeginBackupString(BSTR stringName, BSTR logText, BSTR firstText, INT weight,
                                    BOOL writeInLog) = 0;  // 20
  virtual HRESULT BackupNextPartOfString(BSTR text) = 0;   // 21
  virtual HRESULT EndBackupString() = 0;                   // 22

 protected:
  ~IBackuper() = default;
};

// Storing a symbolic link as a link (its target text as the data), which
// the archive writer offers beside IBackuper through QueryInterface. A
// client that keeps links asks for it; a writer without it is given the
// path to BackupFile, which stores what the link points to.
struct ILinkBackuper : IUnknown {
  static constexpr IID kIid = MakeGuid("{3C6080D3-7ECF-45AE-9936-59968789CC5E}");
  // As BackupFile; a path that is no longer a link is stored as BackupFile
  // stores it.
  virtual HRESULT BackupLink(BSTR fileName, BSTR localName, BSTR actionName, INT weight,
                             BOOL writeInLog) = 0;  // 3

 protected:
  ~ILinkBackuper() = default;
};

// Archive reader, implemented by Restorer.
struct IRestorer : IDispatch {
  static constexpr IID kIid = MakeGuid("{00EC26AA-E2EE-4AF1-90DD-2DB7E3B897E7}");
  virtual HRESULT SetProgress(IProgress* progress) = 0;          // 7
  virtual HRESULT GetVersionInfo(LONG* major, LONG* minor) = 0;  // 8
  virtual HRESULT Reserved1(LONG*, LONG*, DATE*) = 0;            // 9
  virtual HRESULT GetArchiveInfo(BSTR archiveName, BSTR* userName, BSTR* machineName, BSTR* label,
                                 DATE* time, LONG* clients) = 0;                 // 10
  virtual HRESULT GetClient(INT index, BSTR* name, BSTR* clsid) = 0;             // 11
  virtual HRESULT GetClientOptions(BSTR clsid, VARIANT* options) = 0;            // 12
  virtual HRESULT Iterate(BSTR clsid) = 0;                                       // 13
  virtual HRESULT Next() = 0;                                                    // 14
  virtual HRESULT IsEnd(BOOL* end) = 0;                                          // 15
  virtual HRESULT GetObjectInfo(USHORT* type, BSTR* name, LONG* weight) = 0;     // 16
  virtual HRESULT RestoreFile(BSTR fileName, LONG option, BOOL writeInLog) = 0;  // 17
  virtual HRESULT RestoreRegistryKey(BSTR keyName) = 0;                          // 18
  virtual HRESULT GetObjectOptions(VARIANT* options) = 0;                        // 19
  virtual HRESULT BeginRestoreString(LPSTR buffer, LONG bufferSize, LONG* read,
                                     LONG* totalSize) = 0;                                 // 20
  virtual HRESULT RestoreNextPartOfString(LPSTR buffer, LONG bufferSize, LONG* read) = 0;  // 21

 protected:
  ~IRestorer() = default;
};

// The archive service's check of a whole archive, for verification: every
// section's weights against its sum, every record and registry key block
// against the file, every compressed data part inflated (its Adler-32
// included) into a sink that keeps nothing. Implemented by ArchiveChecker.
struct IArchiveCheck : IDispatch {
  static constexpr IID kIid = MakeGuid("{38BD8795-6EE2-41F1-B564-D786DB2628F0}");
  // S_OK when sound; S_FALSE with *problem naming the first damaged place;
  // E_FAIL with *problem when the file cannot be read as an archive.
  // *objects counts the objects found sound.
  virtual HRESULT CheckArchive(BSTR archiveName, LONG* objects, BSTR* problem) = 0;  // 7
  // The same check, handing out for every file object found sound its
  // record's offset and the size of the file it restores (two little-endian
  // 64-bit numbers each, in file order) as a byte array.
  virtual HRESULT FileSizes(BSTR archiveName, VARIANT* sizes, BSTR* problem) = 0;  // 8

 protected:
  ~IArchiveCheck() = default;
};

// A client's service object. Called only through its vtable.
struct IBkVpService : IDispatch {
  static constexpr IID kIid = MakeGuid("{3D43E0EF-66D6-47AC-B48B-2E280A6C9E0F}");
  virtual HRESULT Backup(IBackuper* backuper, IProgress* progress) = 0;   // 7
  virtual HRESULT Restore(IRestorer* restorer, IProgress* progress) = 0;  // 8
  virtual HRESULT HasAxBackup(BOOL* value) = 0;                           // 9
  virtual HRESULT HasAxRestore(BOOL* value) = 0;                          // 10
  virtual HRESULT ClientPresent(BOOL* value) = 0;                         // 11
  virtual HRESULT GetAxBackupCLSID(BSTR* value) = 0;                      // 12
  virtual HRESULT GetAxRestoreCLSID(BSTR* value) = 0;                     // 13
  virtual HRESULT GetClientInfo(BSTR propertyName, VARIANT* value) = 0;   // 14
  virtual HRESULT SetOptions(VARIANT options) = 0;                        // 15
  virtual HRESULT GetOptions(VARIANT* options) = 0;                       // 16

 protected:
  ~IBkVpService() = default;
};

// A client's backup page.
struct IBkVpAxBackup : IDispatch {
  static constexpr IID kIid = MakeGuid("{27AFD011-80C5-473A-B092-3649C6367854}");
  virtual HRESULT PersistSettings(BOOL store) = 0;     // 7
  virtual HRESULT SettingsChanged(BOOL* changed) = 0;  // 8
  virtual HRESULT Validate(BOOL* valid) = 0;           // 9

 protected:
  ~IBkVpAxBackup() = default;
};

// A client's restore page.
struct IBkVpAxRestore : IDispatch {
  static constexpr IID kIid = MakeGuid("{577980EE-166B-454F-8A7E-70C34976A916}");
  virtual HRESULT PersistSettings(BOOL store) = 0;     // 7
  virtual HRESULT SettingsChanged(BOOL* changed) = 0;  // 8
  virtual HRESULT Validate(BOOL* valid) = 0;           // 9

 protected:
  ~IBkVpAxRestore() = default;
};

// The window side of a backup or restore page, implemented by every page
// object beside its page interface: the program places the page's widget
// inside one of its own windows and shows or hides it.
//
// `parent` is a QWidget* in practice. It travels as an opaque pointer so that
// the contract, the archive service and the service modules stay free of Qt;
// only the program and the page modules, which share the process's one Qt,
// look inside it.
struct IBkVpControlSite : IDispatch {
  static constexpr IID kIid = MakeGuid("{12AAD431-C559-4B46-8FC0-1C3A5BFB7F8D}");
  // Creates the page's widget as a hidden child of `parent`, placed at the
  // rectangle (parent coordinates), known by `controlId`. Fails when the
  // widget exists already, when `parent` is null or when no Qt application
  // object exists.
  virtual HRESULT CreateControl(void* parent, LONG left, LONG top, LONG width, LONG height,
                                LONG controlId) = 0;  // 7
  virtual HRESULT ShowControl() = 0;                  // 8
  virtual HRESULT HideControl() = 0;                  // 9
  // Destroys the widget; the page object lives on until its last release.
  virtual HRESULT DestroyControl() = 0;  // 10
  // Places the widget at the rectangle (parent coordinates): the host's
  // window changed its size.
  virtual HRESULT MoveControl(LONG left, LONG top, LONG width, LONG height) = 0;  // 11

 protected:
  ~IBkVpControlSite() = default;
};

// Event interface of the pages; declares no events.
constexpr IID DIID__IBkVpAxEvents = MakeGuid("{7EFA41C9-6ABF-4A67-AC77-D8E76004EC7B}");

// Class factory of a module.
struct IClassFactory : IUnknown {
  static constexpr IID kIid = MakeGuid("{00000001-0000-0000-C000-000000000046}");
  virtual HRESULT CreateInstance(IUnknown* outer, const IID& iid, void** object) = 0;  // 3
  virtual HRESULT LockServer(BOOL lock) = 0;                                           // 4

 protected:
  ~IClassFactory() = default;
};

}  // namespace bkvp
