#include "contract/bstr.h"

#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/text.h"

namespace bkvp {

// Layout of one allocation: a 32-bit byte length, the characters, and a
// terminating zero character that the length does not count.
namespace {

constexpr size_t kPrefixSize = sizeof(uint32_t);

uint32_t* PrefixOf(BSTR text) {
  return reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(text) - kPrefixSize);
}

}  // namespace

BSTR SysAllocString(const OLECHAR* text) {
  if (!text) return nullptr;
  return SysAllocStringLen(text, static_cast<UINT>(std::char_traits<OLECHAR>::length(text)));
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  // The byte length must fit the 32-bit prefix.
  constexpr UINT kMaxLength = std::numeric_limits<uint32_t>::max() / sizeof(OLECHAR) - 1;
  if (length > kMaxLength) return nullptr;
  const size_t bytes = size_t{length} * sizeof(OLECHAR);
  void* block = std::malloc(kPrefixSize + bytes + sizeof(OLECHAR));
  if (!block) return nullptr;
  *static_cast<uint32_t*>(block) = static_cast<uint32_t>(bytes);
  BSTR result = reinterpret_cast<BSTR>(static_cast<char*>(block) + kPrefixSize);
  if (text)
    std::memcpy(result, text, bytes);
  else
    std::memset(result, 0, bytes);
  result[length] = 0;
  return result;
}

void SysFreeString(BSTR text) {
  if (text) std::free(PrefixOf(text));
}

UINT SysStringByteLen(BSTR text) { return text ? *PrefixOf(text) : 0; }

UINT SysStringLen(BSTR text) { return SysStringByteLen(text) / sizeof(OLECHAR); }

std::string ToAnsi(BSTR text) {
  if (!text) return {};
  return platform::Utf16ToUtf8(std::u16string_view(text, SysStringLen(text)));
}

BSTR AllocBstr(std::string_view text) {
  const std::u16string wide = platform::Utf8ToUtf16(text);
  if (wide.size() > std::numeric_limits<UINT>::max()) return nullptr;
  return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

}  // namespace bkvp
