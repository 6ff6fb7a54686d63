// The steps a restore of Outlook Express takes on the identities of the
// machine it restores onto.
#pragma once

namespace bkvp::outlookexp {

// Renames the first identity called "Main Identity" (exact) to
// "Main Identity (* old *)", so the restored identities bring back their own
// default identity beside it. False when the machine has no identities key.
bool RenameExistingMainIdentity();

// Resets a non-zero "Running" value to 0 in the main key, the 5.0 key and
// every identity's settings key, so the restored program does not think it
// was interrupted.
void ResetRunningFlags();

}  // namespace bkvp::outlookexp
