// The files around a merge of copies of the data file, shared by the command line and the
// window: a copy read and, where it cannot be merged, told apart by why; the conflict copies a
// sync service left beside the data file; a merged copy kept a while in the state folder.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tamblero {

class CVerdalonDoc;

// How long a merged conflict copy is kept in the state folder, should the merge be wanted undone.
inline constexpr std::chrono::days kKeepMergedCopies{30};

// Why a copy cannot be merged: each asks something else of the user.
enum class CopyTrouble {
    None,
    Unreadable,  // the system refused it
    NotDataFile, // empty, or no Tamblero data file at all
    Later,       // written by a later Tamblero
    Damaged      // a data file whose bytes cannot be read
};

// Reads another copy into the document; on trouble, why in English as the command line says it.
[[nodiscard]] CopyTrouble LoadCopy(CVerdalonDoc& copy, const std::filesystem::path& path,
                                   std::string& why);

// The names of the regular files in the folder; nullopt, with the system's reason, when it
// cannot be listed.
[[nodiscard]] std::optional<std::vector<std::string>>
RegularFileNamesIn(const std::filesystem::path& folder, std::string& error);

// Moves a file into the folder under its own name or, where that is taken, the first free
// "STEM (2)EXT", "STEM (3)EXT"…, never over another; across file systems by a copy. Its
// modification time becomes now, so that it is kept its full time there. The path it took;
// nullopt, with the system's reason in error, when it stays where it was.
[[nodiscard]] std::optional<std::filesystem::path>
KeepMergedCopy(const std::filesystem::path& copy, const std::filesystem::path& folder,
               std::string& error);

// Removes the regular files of the folder last modified before the moment.
void RemoveExpiredCopies(const std::filesystem::path& folder,
                         std::filesystem::file_time_type before);

} // namespace tamblero
