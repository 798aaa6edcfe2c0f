#pragma once

#include <filesystem>

#include "platform/file_manager.h"

// The hidden folder an installation works in, beside the installed copy. It carries a marker
// file from its first instant with content to its last, so that a later start can tell a
// workspace that a killed installation left behind from a folder someone else made.
namespace tarnwick::InstallationWorkspace {

inline constexpr const char* kMarkerName = ".Tarnwick-workspace";

// Creates the folder (private to the user) and its marker. Errors are thrown as they come; a
// folder whose marker could not be written is removed again.
void create(const std::filesystem::path& workspace, platform::FileManager& files);

// Whether the folder carries our marker (a regular file, not a link).
bool isMarked(const std::filesystem::path& workspace, platform::FileManager& files);

// Removes the folder when nothing but the marker is left in it (the marker goes last, so a
// workspace that still holds anything stays recognisable). Reports whether the folder is gone.
bool removeIfEmpty(const std::filesystem::path& workspace, platform::FileManager& files);

// Removes everything in the folder, the marker last, then the folder; throws the first failure.
void remove(const std::filesystem::path& workspace, platform::FileManager& files);

}  // namespace tarnwick::InstallationWorkspace
