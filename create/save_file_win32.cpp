#include <string>
#include <string_view>

#include "create/file_name.h"
#include "create/save_file.h"
#include "create/save_file_platform.h"
#include "text/wide_text.h"
#include "text/windows_api.h"

namespace tilewright {
namespace {

// Win32 error codes with the system's own description of each, in UTF-8.
class WindowsErrorCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "windows"; }
    std::string message(int value) const override {
        wchar_t* text = nullptr;
        const DWORD length = FormatMessageW(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, static_cast<DWORD>(value), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        if (length == 0) {
            return "Windows error " + std::to_string(value);
        }
        const std::string utf8 = toUtf8(std::wstring_view(text, length));
        LocalFree(text);
        return utf8;
    }
};

std::error_code windowsError(DWORD code) {
    static const WindowsErrorCategory category;
    return {static_cast<int>(code), category};
}

// The error is read before anything else runs: setting up a function-local static, as the
// first windowsError() does, resets the thread's last error under MinGW.
std::error_code lastError() {
    const DWORD code = GetLastError();
    return windowsError(code);
}

constexpr std::wstring_view kExtendedPrefix = L"\\\\?\\";

// The same folder as an absolute path in the \\?\ form, which no length limit applies to, so
// that the temporary file's name never pushes a path that fits for the target over 260
// characters where the system keeps that limit.
std::wstring unlimitedFolder(const std::wstring& folder) {
    const std::wstring relative = folder.empty() ? std::wstring(L".") : folder;
    if (relative.starts_with(kExtendedPrefix) || relative.starts_with(L"\\\\.\\")) {
        return folder;
    }
    DWORD size = GetFullPathNameW(relative.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    size = size == 0 ? 0 : GetFullPathNameW(relative.c_str(), size, full.data(), nullptr);
    if (size == 0 || size >= full.size()) {
        return folder;
    }
    full.resize(size);
    if (!full.ends_with(L'\\')) {
        full += L'\\';
    }
    if (full.starts_with(L"\\\\")) {
        return std::wstring(kExtendedPrefix) + L"UNC\\" + full.substr(2);  // \\server\share
    }
    return std::wstring(kExtendedPrefix) + full;
}

// The file that a path names once the system has followed any symbolic link in it, with what
// the system says of it (its links, attributes and times); an empty path where it cannot tell
// (the file does not exist, or the link leads nowhere).
struct FoundFile {
    std::wstring path;
    BY_HANDLE_FILE_INFORMATION information{};
};

FoundFile findFile(const std::wstring& path) {
    // No access asked for: this opens even a file that another program holds without sharing.
    const HANDLE file =
        CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    FoundFile found;
    if (!GetFileInformationByHandle(file, &found.information)) {
        found.information = {};
    }
    std::wstring& final = found.path;
    final.assign(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(file, final.data(), static_cast<DWORD>(final.size()),
                                             FILE_NAME_NORMALIZED);
    if (length >= final.size()) {
        final.resize(length);
        length = GetFinalPathNameByHandleW(file, final.data(), static_cast<DWORD>(final.size()),
                                           FILE_NAME_NORMALIZED);
    }
    CloseHandle(file);
    final.resize(length < final.size() ? length : 0);
    return found;
}

// The folder part of a path, with its separator, so that a file name can follow it: "" for a
// bare file name, which then stays in the current folder.
std::wstring folderOf(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(L"\\/:");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator + 1);
}

// A temporary file that deletes itself unless it was moved into place.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::wstring& folder) {
        // CREATE_NEW refuses a name that exists, so the name need only differ from those other
        // programs use now: the process id sees to that, and the attempt number steps past any
        // left behind by an earlier process of the same id.
        const std::wstring prefix =
            folder + L"~tilewright-" + std::to_wstring(GetCurrentProcessId()) + L"-";
        for (int attempt = 0; attempt < 100; ++attempt) {
            path_ = prefix + std::to_wstring(attempt) + L".tmp";
            handle_ = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
            if (handle_ != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) {
                break;
            }
        }
        created_ = handle_ != INVALID_HANDLE_VALUE;
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
        }
        if (created_ && !moved_) {
            DeleteFileW(path_.c_str());
        }
    }

    [[nodiscard]] bool created() const { return created_; }
    [[nodiscard]] HANDLE handle() const { return handle_; }

    // Gives the new file the old one's attributes (hidden, system...) and creation time.
    // ReplaceFileW carries them over on Windows, but not every system that runs the program
    // does (Wine); best effort, as the data is what matters.
    void keepAttributesOf(const BY_HANDLE_FILE_INFORMATION& old) const {
        constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        FILE_BASIC_INFO basic{};  // times left at 0 stay as they are
        basic.CreationTime.LowPart = old.ftCreationTime.dwLowDateTime;
        basic.CreationTime.HighPart = static_cast<LONG>(old.ftCreationTime.dwHighDateTime);
        basic.FileAttributes = old.dwFileAttributes & kKept;  // 0 leaves them as they are
        SetFileInformationByHandle(handle_, FileBasicInfo, &basic, sizeof basic);
    }
    [[nodiscard]] const std::wstring& path() const { return path_; }

    std::error_code close() {
        const HANDLE handle = handle_;
        handle_ = INVALID_HANDLE_VALUE;
        return CloseHandle(handle) ? std::error_code{} : lastError();
    }
    void markMoved() { moved_ = true; }

private:
    std::wstring path_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    bool created_ = false;
    bool moved_ = false;
};

std::error_code writeAll(HANDLE handle, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
            return lastError();
        }
        if (written == 0) {  // nothing taken and no error: trying again would never end
            return windowsError(ERROR_WRITE_FAULT);
        }
        bytes = bytes.subspan(written);
    }
    return {};
}

// ReplaceFileW carries the old file's attributes, creation time, security and streams over to
// the new one, as moving it would not. Its failures leave the files in documented states; with
// a backup name given they are: ERROR_UNABLE_TO_MOVE_REPLACEMENT and
// ERROR_UNABLE_TO_REMOVE_REPLACED, and any other error, both files keep their names;
// ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, the old file is under the backup name and is put back.
// The temporary file is removed by its owner in every case. ERROR_FILE_NOT_FOUND means the
// target went away meanwhile; the caller then moves the file as for a new one.
DWORD replaceExisting(const std::wstring& target, TemporaryFile& temporary) {
    const std::wstring backup = temporary.path() + L".old";
    if (ReplaceFileW(target.c_str(), temporary.path().c_str(), backup.c_str(),
                     REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                     nullptr)) {
        temporary.markMoved();
        DeleteFileW(backup.c_str());  // the old contents, no longer anyone's
        return ERROR_SUCCESS;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        MoveFileExW(backup.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
    }
    return error;
}

// Win32 calls rather than std::filesystem's: in a static build the latter bring in the whole
// of the C++ locale library, which would more than double the size of the exe.
std::error_code resolveTarget(const std::wstring& target, std::wstring& resolved,
                              BY_HANDLE_FILE_INFORMATION& old) {
    resolved = target;
    if (isReservedDeviceName(toUtf8(target))) {
        return SaveRefusal::ReservedDeviceName;
    }
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? std::error_code{} : windowsError(error);
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        return SaveRefusal::IsAFolder;
    }
    if (attributes & FILE_ATTRIBUTE_DEVICE) {
        return SaveRefusal::NotARegularFile;
    }
    // Windows refuses to replace a read-only file, but not every system that runs the program
    // does (Wine); a read-only file is refused everywhere, as writing to it would be.
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        return windowsError(ERROR_ACCESS_DENIED);
    }
    // Through a symbolic link, the file it leads to is replaced and the link kept. A link that
    // leads nowhere is itself replaced by the new file.
    FoundFile found = findFile(target);
    old = found.information;
    if (!found.path.empty()) {
        resolved = std::move(found.path);
    }
    return {};
}

}  // namespace

std::error_code saveWithSystem(const std::string& path, std::span<const std::uint8_t> bytes,
                               ExistingFile existing, SaveDetails& details) {
    std::wstring target;
    BY_HANDLE_FILE_INFORMATION old{};
    if (const std::error_code error = resolveTarget(toWide(path), target, old)) {
        return error;
    }
    const DWORD links = old.nNumberOfLinks;
    details.targetLinks = links;
    details.step = SaveStep::CreatingTemporary;
    TemporaryFile temporary(unlimitedFolder(folderOf(target)));
    if (!temporary.created()) {
        return lastError();
    }
    if (links > 0) {
        temporary.keepAttributesOf(old);
    }
    details.step = SaveStep::Writing;
    if (const std::error_code error = writeAll(temporary.handle(), bytes)) {
        return error;
    }
    if (!FlushFileBuffers(temporary.handle())) {
        return lastError();
    }
    if (const std::error_code error = temporary.close()) {
        return error;
    }
    details.step = SaveStep::Replacing;
    if (existing == ExistingFile::Replace && links > 0) {
        const DWORD error = replaceExisting(target, temporary);
        if (error == ERROR_SUCCESS) {
            return {};
        }
        if (error != ERROR_FILE_NOT_FOUND) {
            return windowsError(error);
        }
    }
    // A new file is moved into place; without MOVEFILE_REPLACE_EXISTING the move itself refuses
    // a file that appeared meanwhile.
    const DWORD replace = existing == ExistingFile::Replace ? MOVEFILE_REPLACE_EXISTING : 0;
    if (!MoveFileExW(temporary.path().c_str(), target.c_str(), replace | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
            return SaveRefusal::AlreadyExists;
        }
        return windowsError(error);
    }
    temporary.markMoved();
    return {};
}

}  // namespace tilewright
