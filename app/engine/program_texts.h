// Texts the program shows in more than one place: its caption and what it
// says when its own components cannot be created.
#pragma once

namespace bkvp::engine {

constexpr const char* kProgramCaption = "Backup Vopal";
constexpr const char* kComponentsDamagedText =
    "Some components of the Backup Vopal are damaged. Please uninstall and install Backup Vopal "
    "again";

}  // namespace bkvp::engine
