#pragma once
// The output folder of a run, claimed for the run alone: a lock file in it (io/FolderLock.h)
// for as long as the run lasts, so that a second run into the same folder is refused instead
// of mixing its files with the first one's; and the hidden temporary files an earlier run left
// when it was killed between writing one and renaming it (io/AtomicFile.h) removed, which only
// the holder of the lock may do.

#include "io/FolderLock.h"

#include <cstddef>
#include <filesystem>

namespace mt1d::batch {

// The lock file's name in the output folder.
inline constexpr const char* kLockFileName = ".mt1d-batch.lock";

// Throws io::FolderBusy naming the folder and the other run's process, or io::WriteError.
io::FolderLock ClaimOutputFolder(const std::filesystem::path& folder);

// Removes the temporaries of a run's files (results .json, summary.csv and sites.csv, as
// io::IsTemporaryName recognises them) from the folder; other hidden files stay. Returns how
// many were removed. Call only while holding the folder's lock.
std::size_t RemoveStaleTemporaries(const std::filesystem::path& folder);

}  // namespace mt1d::batch
