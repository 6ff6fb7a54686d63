// Re-pointing a profile copy at its new folder: the browser stores its own
// folder inside "prefs.js" (as escaped script strings) and inside
// "chrome/all-skins.rdf" (as URL text).
#pragma once

#include <string>
#include <string_view>

namespace bkvp::netscape {

// The URL form of a path as the chrome registry writes it: "&" becomes
// "&amp;", letters, digits and punctuation stay, every other byte (blank,
// control bytes, bytes of multi-byte characters) becomes "%XX" in upper-case
// hex. "/home/a b" gives "/home/a%20b".
std::string Encode(std::string_view text);

// A path as a script string literal holds it: each "\" doubled.
std::string EscapeForPrefs(std::string_view path);

// Replaces every occurrence of `from` by `to` in the file, left to right
// without re-scanning replaced text. The file is streamed into a new file
// beside it, which then takes its name and permissions, so memory stays
// bounded and a failure leaves the original as it was. False when the file
// cannot be read or the new one cannot be written.
bool ReplaceInFile(const std::string& path, std::string_view from, std::string_view to);

// The file of that name directly in `folder`, matched ignoring letter case;
// "" when there is none.
std::string FindEntryIgnoringCase(const std::string& folder, std::string_view name);

// Rewrites the staged copy of a profile that was saved from `oldFolder` and
// is restored to `newFolder` (both without a trailing "/"): "prefs.js" must
// exist and is rewritten; "chrome/all-skins.rdf" is rewritten when present.
bool RewriteMovedProfile(const std::string& stagingFolder, const std::string& oldFolder,
                         const std::string& newFolder);

}  // namespace bkvp::netscape
