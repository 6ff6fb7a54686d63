#include "platform/errors.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

namespace bkvp::platform {
namespace {

TEST(ErrorCodes, ErrnoMapsToSystemErrorCodes) {
  const std::pair<int, uint32_t> cases[] = {
      {0, ERROR_SUCCESS},
      {ENOENT, ERROR_FILE_NOT_FOUND},
      {ENOTDIR, ERROR_PATH_NOT_FOUND},
      {EACCES, ERROR_ACCESS_DENIED},
      {EPERM, ERROR_ACCESS_DENIED},
      {EROFS, ERROR_WRITE_PROTECT},
      {ENOMEDIUM, ERROR_NOT_READY},
      {ENXIO, ERROR_NOT_READY},
      {EBUSY, ERROR_SHARING_VIOLATION},
      {ETXTBSY, ERROR_SHARING_VIOLATION},
      {EWOULDBLOCK, ERROR_LOCK_VIOLATION},
      {ENOSPC, ERROR_DISK_FULL},
      {EDQUOT, ERROR_DISK_FULL},
      {EIO, ERROR_GEN_FAILURE},
      {EINVAL, ERROR_GEN_FAILURE},
  };
  for (const auto& [errnoValue, code] : cases)
    EXPECT_EQ(ErrorFromErrno(errnoValue), code) << errnoValue;
}

TEST(ErrorCodes, EveryCodeHasOneSentence) {
  EXPECT_EQ(ErrorMessage(ERROR_FILE_NOT_FOUND), "The system cannot find the file specified.");
  EXPECT_EQ(ErrorMessage(ERROR_ACCESS_DENIED), "Access is denied.");
  EXPECT_EQ(ErrorMessage(ERROR_WRITE_PROTECT), "The media is write protected.");
  EXPECT_EQ(ErrorMessage(ERROR_NOT_READY), "The device is not ready.");
  EXPECT_EQ(ErrorMessage(ERROR_DISK_FULL), "There is not enough space on the disk.");
  EXPECT_EQ(ErrorMessage(ERROR_MORE_DATA), "More data is available.");
  EXPECT_EQ(ErrorMessage(ERROR_NO_MORE_ITEMS), "No more data is available.");
  for (uint32_t code : {0u,  2u,  3u,   5u,   6u,   8u,    19u,   21u,   31u,   32u,   33u,  38u,
                        80u, 87u, 112u, 234u, 259u, 1009u, 1010u, 1011u, 1012u, 1013u, 1018u}) {
    const std::string text = ErrorMessage(code);
    EXPECT_EQ(text.back(), '.') << code;
    EXPECT_EQ(text.find('\n'), std::string::npos) << code;
    EXPECT_EQ(text.find("Unknown"), std::string::npos) << code;
  }
  EXPECT_EQ(ErrorMessage(4242), "Unknown system error 4242.");
}

TEST(ErrorCodes, LastErrorBelongsToItsThread) {
  EXPECT_EQ(SetLastErrorFromErrno(ENOSPC), ERROR_DISK_FULL);
  std::thread other([] {
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    SetLastError(ERROR_ACCESS_DENIED);
  });
  other.join();
  EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
}

}  // namespace
}  // namespace bkvp::platform
