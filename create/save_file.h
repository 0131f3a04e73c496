#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <system_error>

namespace tilewright {

// Why a chosen path is refused before anything is written.
enum class SaveRefusal {
    IsAFolder = 1,
    NotARegularFile,        // a device, pipe or socket
    ReservedDeviceName,     // a name Windows keeps for a device
    AlreadyExists,          // the target exists and was not to be replaced
    ChangedWhileSaving,     // another program replaced the target twice while it was looked up
    CannotRefuseReplacing,  // the file system cannot add a file only where none is (Keep)
};

// Whether saving may replace a file that is already at the target.
enum class ExistingFile { Replace, Keep };

// The steps of a save, in order, so that a failure can say which one it was.
enum class SaveStep {
    CheckingTarget,     // finding the file and whether it may be written
    CreatingTemporary,  // making the new file beside it
    Writing,            // writing the new file and flushing it to disk
    Replacing,          // moving the new file into place
};

// What a save found out besides success or failure.
struct SaveDetails {
    SaveStep step = SaveStep::CheckingTarget;  // the step reached; after a failure, the failed one
    // How many names (hard links) the file at the target had when the save began, 0 when there
    // was none. Replacing puts a new file under this one name only: the others keep the old
    // contents.
    std::uintmax_t targetLinks = 0;
};

[[nodiscard]] const std::error_category& saveRefusalCategory() noexcept;
[[nodiscard]] std::error_code make_error_code(SaveRefusal refusal) noexcept;

// The error's message as one sentence to be finished by the caller: without the full stop and
// line ends some systems add.
[[nodiscard]] std::string systemReason(const std::error_code& error);

// Why saving to target failed, as one sentence to be finished by the caller: the system's
// reason, after the step that failed where the reason alone would not explain a refusal that
// writing the file in place would not meet ("cannot create a temporary file in "roms" to replace
// "GAME.BIN" safely: Permission denied").
[[nodiscard]] std::string saveFailureReason(const std::string& target, const std::error_code& error,
                                            const SaveDetails& details);

// Writes the bytes to the file at target so that the target is never left half written: they
// go to a new file in the same folder, are flushed to disk, and that file is then moved over
// the target in one step. On any failure an existing target keeps its old contents, no
// temporary file is left, and the error says why (an operating system error or a SaveRefusal).
// Symbolic links are followed by the system, not by this code: the file a link leads to is
// replaced and the link kept. On Linux the kernel's protections of links and of files in
// shared folders apply, and a path that could not be opened for writing is refused; a link to
// a file that does not exist makes that file. On Windows a link to a file that does not exist
// is itself replaced. The target is a path as the save dialog gives it (see
// MainWindow::runSaveDialog). With ExistingFile::Keep an existing target is refused with
// SaveRefusal::AlreadyExists at the moment of the move, so a file that appears meanwhile is not
// replaced either. The replaced file's owner, group, mode, extended attributes and access
// control lists (on Windows its attributes, creation time and streams) carry over as far as
// the system allows. details, when given, receives the step reached and the target's links.
[[nodiscard]] std::error_code saveFileSafely(const std::string& target,
                                             std::span<const std::uint8_t> bytes,
                                             ExistingFile existing = ExistingFile::Replace,
                                             SaveDetails* details = nullptr);

}  // namespace tilewright

template <>
struct std::is_error_code_enum<tilewright::SaveRefusal> : std::true_type {};
