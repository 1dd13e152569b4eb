// Reading and writing the install record's file.
#include "engine/InstallRecordFile.h"

#include <windows.h>

#include "engine/Folders.h"
#include "services/Handles.h"
#include "services/UtillityUnit.h"
#include "services/VQError.h"

namespace {
EVQError FileError(const std::wstring& what, const std::wstring& path, DWORD error) {
    return EVQError(what + path + L" (error " + std::to_wstring(error) + L")");
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\') + 1); }
}  // namespace

std::optional<InstallRecord> ReadInstallRecordFile(const std::wstring& path) {
    FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::nullopt;
        throw FileError(L"Cannot read the install record ", path, error);
    }
    LARGE_INTEGER size{};
    // A record of the setup's own is a few kilobytes; anything this large is no record of it.
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > 16 * 1024 * 1024)
        throw EVQError(L"The install record " + path + L" is damaged: it is no file of the setup's size");
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    if (!bytes.empty() && (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
                           got != bytes.size()))
        throw FileError(L"Cannot read the install record ", path, ::GetLastError());
    try {
        return ParseInstallRecord(bytes);
    } catch (const EVQError& error) {
        throw EVQError(L"The install record " + path + L" is damaged: " + error.Message());
    }
}

void WriteInstallRecordFile(const std::wstring& path, const InstallRecord& record) {
    const std::string bytes = FormatInstallRecord(record);
    wchar_t name[MAX_PATH + 1] = {};
    if (!::GetTempFileNameW(FolderOf(path).c_str(), L"vqr", 0, name))
        throw FileError(L"Cannot write the install record ", path, ::GetLastError());
    TemporaryFile fresh(name);
    {
        FileHandle file(::CreateFileW(fresh.Path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        // Flushed before the move: the new name must never point at data still on its way.
        if (!file || !::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size() || !::FlushFileBuffers(file.get()) || !::CloseHandle(file.release()))
            throw FileError(L"Cannot write the install record ", fresh.Path(), ::GetLastError());
    }
    if (!::MoveFileExW(fresh.Path().c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        throw FileError(L"Cannot write the install record ", path, ::GetLastError());
    fresh.Keep();
}

std::vector<std::wstring> MissingFolders(const std::wstring& folder) {
    std::vector<std::wstring> missing;
    std::wstring path = Utillity::AddBackslash(folder);
    // Up from the folder itself until one exists; a drive's or a share's root is never the setup's.
    while (Utillity::IsAbsolutePath(path) && !Utillity::IsRootFolder(path) && !Utillity::DirExists(path)) {
        missing.insert(missing.begin(), path);
        path.pop_back();
        path = path.substr(0, path.find_last_of(L'\\') + 1);
    }
    return missing;
}

void NoteInstallationFolders(InstallRecord& record, const SetupChoices& choices) {
    record.Language = choices.Language;
    record.Removable = choices.UseRemoveable;
    record.ProgramFolder = GetProgramFolder(choices, false);
    record.BinFolder = GetProgramFolder(choices, true);
    record.UninstallFolder = GetUninstallFolder(choices);
    record.DataFolder = GetDataFolder(choices);
}
