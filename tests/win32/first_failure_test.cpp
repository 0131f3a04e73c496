// The first failed save of a process, in a process that has done nothing else: setting up the
// error category once made that first failure come back as success. A plain program rather
// than a GoogleTest one, whose own start-up would change what the process has done before.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "create/save_file.h"
#include "text/wide_text.h"

int wmain() {
    wchar_t temporary[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temporary);
    const std::wstring target = std::wstring(temporary) + L"tilewright-first-failure-" +
                                std::to_wstring(GetCurrentProcessId()) + L".bin";
    const std::vector<std::uint8_t> old(100, 0x55);
    HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, old.data(), static_cast<DWORD>(old.size()), &written, nullptr);
    CloseHandle(file);

    // Another program holds the file open without sharing, so it cannot be replaced.
    const HANDLE held =
        CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const std::vector<std::uint8_t> image(8192, 0xAA);
    const std::error_code error = tilewright::saveFileSafely(tilewright::toUtf8(target), image);

    std::vector<std::uint8_t> now(200);
    DWORD read = 0;
    ReadFile(held, now.data(), static_cast<DWORD>(now.size()), &read, nullptr);
    now.resize(read);
    CloseHandle(held);
    DeleteFileW(target.c_str());

    if (held == INVALID_HANDLE_VALUE) {
        std::puts("could not hold the file open");
        return 1;
    }
    std::printf("first failure: %d %s\n", error.value(), error.message().c_str());
    if (!error) {
        std::puts("FAILED: reported as success");
        return 1;
    }
    if (now != old) {
        std::puts("FAILED: the file changed");
        return 1;
    }
    return 0;
}
