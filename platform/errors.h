// System error codes with the Windows numbers, mapped from errno, and a
// thread-local "last error" as the rest of the system expects it.
#pragma once

#include <cstdint>
#include <string>

#pragma GCC visibility push(default)

namespace bkvp::platform {

constexpr uint32_t ERROR_SUCCESS = 0;
constexpr uint32_t ERROR_FILE_NOT_FOUND = 2;
constexpr uint32_t ERROR_PATH_NOT_FOUND = 3;
constexpr uint32_t ERROR_ACCESS_DENIED = 5;
constexpr uint32_t ERROR_INVALID_HANDLE = 6;
constexpr uint32_t ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr uint32_t ERROR_WRITE_PROTECT = 19;
constexpr uint32_t ERROR_NOT_READY = 21;
constexpr uint32_t ERROR_GEN_FAILURE = 31;
constexpr uint32_t ERROR_SHARING_VIOLATION = 32;
constexpr uint32_t ERROR_LOCK_VIOLATION = 33;
constexpr uint32_t ERROR_HANDLE_EOF = 38;
constexpr uint32_t ERROR_INVALID_PARAMETER = 87;
constexpr uint32_t ERROR_FILE_EXISTS = 80;
constexpr uint32_t ERROR_DISK_FULL = 112;
constexpr uint32_t ERROR_FILENAME_EXCED_RANGE = 206;
constexpr uint32_t ERROR_MORE_DATA = 234;
constexpr uint32_t ERROR_NO_MORE_ITEMS = 259;
constexpr uint32_t ERROR_BADDB = 1009;
constexpr uint32_t ERROR_BADKEY = 1010;
constexpr uint32_t ERROR_CANTOPEN = 1011;
constexpr uint32_t ERROR_CANTREAD = 1012;
constexpr uint32_t ERROR_CANTWRITE = 1013;
constexpr uint32_t ERROR_KEY_DELETED = 1018;
constexpr uint32_t ERROR_CANT_RESOLVE_FILENAME = 1921;

// ENOENT 2, ENOTDIR 3, EACCES/EPERM 5, EROFS 19, ENOMEDIUM/ENXIO 21,
// EBUSY/ETXTBSY 32, EAGAIN/EWOULDBLOCK (a held lock) 33, ENOSPC/EDQUOT 112,
// ENAMETOOLONG 206, ELOOP 1921, 0 gives 0, anything else 31.
uint32_t ErrorFromErrno(int errnoValue);

uint32_t GetLastError();
void SetLastError(uint32_t code);
// Sets the last error from errno and returns it.
uint32_t SetLastErrorFromErrno(int errnoValue);

// The message text of a system error code, one sentence ending in a period,
// without a line break; unknown codes give a generic text naming the number.
std::string ErrorMessage(uint32_t code);

}  // namespace bkvp::platform

#pragma GCC visibility pop
