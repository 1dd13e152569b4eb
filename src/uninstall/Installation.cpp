// Finding the installation to remove.
#include "uninstall/Installation.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "engine/InstallRecordFile.h"
#include "engine/ProductNames.h"
#include "services/Handles.h"
#include "services/UtillityUnit.h"
#include "services/VQError.h"
#include "texts/ErrorUnit.h"
#include "texts/Languages.h"

namespace {
std::wstring FromUtf8(const std::string& text) {
    if (text.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                                        nullptr, 0);
    if (n <= 0) throw EVQError(L"The setup's entry list is no UTF-8 text");
    std::wstring wide(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

std::vector<std::wstring> Split(const std::wstring& line, wchar_t separator) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = line.find(separator, start);
        parts.push_back(line.substr(start, end - start));
        if (end == std::wstring::npos) return parts;
        start = end + 1;
    }
}

std::int64_t SizeOnDisk(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\') + 1); }

std::wstring ReadValue(HKEY root, const std::wstring& key, const wchar_t* name) {
    wchar_t value[2048] = {};
    DWORD bytes = sizeof(value) - sizeof(wchar_t);
    if (::RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &bytes) != ERROR_SUCCESS) return L"";
    return value;
}

SetupChoices ChoicesOf(const StoredSettings& settings) {
    SetupChoices choices;
    TakeStoredFolders(settings, choices);
    choices.Language = settings.Language;
    return choices;
}
}  // namespace

std::vector<PayloadEntry> ParsePayloadEntries(const std::string& text) {
    std::vector<PayloadEntry> entries;
    const std::vector<std::wstring> lines = Split(FromUtf8(text), L'\n');
    bool header = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::wstring line = lines[i];
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (line.empty() || line[0] == L'#') continue;
        const std::vector<std::wstring> f = Split(line, L'\t');
        if (!header) {
            if (f.size() != 2 || f[0] != L"VQPayloadEntries" || f[1] != L"1")
                throw EVQError(L"The setup's entry list is of an unknown form");
            header = true;
            continue;
        }
        const auto bad = [&] { return EVQError(L"The setup's entry list is damaged in line " + std::to_wstring(i + 1)); };
        if (f.size() != 4 || f[0].empty() || f[2].empty()) throw bad();
        PayloadEntry entry{f[0], f[1], f[2], -1};
        if (f[3] != L"-") {
            if (f[3].empty() || f[3].find_first_not_of(L"0123456789") != std::wstring::npos || f[3].size() > 18) throw bad();
            entry.Size = std::stoll(f[3]);
        }
        entries.push_back(entry);
    }
    if (!header) throw EVQError(L"The setup's entry list is empty");
    return entries;
}

std::vector<PayloadEntry> BuiltInPayloadEntries() {
    HRSRC resource = ::FindResourceW(nullptr, L"PAYLOADENTRIES", RT_RCDATA);
    HGLOBAL loaded = resource ? ::LoadResource(nullptr, resource) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes) return {};
    return ParsePayloadEntries(std::string(static_cast<const char*>(bytes), ::SizeofResource(nullptr, resource)));
}

std::wstring ShortcutTarget(const std::wstring& link) {
    ComPtr<IShellLinkW> shellLink;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shellLink.put_void())))
        return L"";
    ComPtr<IPersistFile> file;
    if (FAILED(shellLink->QueryInterface(IID_IPersistFile, file.put_void())) || FAILED(file->Load(link.c_str(), STGM_READ)))
        return L"";
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(shellLink->GetPath(path, MAX_PATH, nullptr, 0)) ? path : L"";
}

std::int64_t SizeBeforeSignature(const std::wstring& path) {
    FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  0, nullptr));
    if (!file) return -1;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) return -1;
    const auto readAt = [&](std::int64_t offset, void* into, DWORD bytes) {
        LARGE_INTEGER at{};
        at.QuadPart = offset;
        DWORD read = 0;
        return ::SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN) && ::ReadFile(file.get(), into, bytes, &read, nullptr) &&
               read == bytes;
    };
    IMAGE_DOS_HEADER dos{};
    if (!readAt(0, &dos, sizeof(dos)) || dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew <= 0) return -1;
    DWORD signature = 0;
    IMAGE_FILE_HEADER header{};
    WORD magic = 0;
    const std::int64_t optional = dos.e_lfanew + sizeof(signature) + sizeof(header);
    if (!readAt(dos.e_lfanew, &signature, sizeof(signature)) || signature != IMAGE_NT_SIGNATURE ||
        !readAt(dos.e_lfanew + sizeof(signature), &header, sizeof(header)) || !readAt(optional, &magic, sizeof(magic)))
        return -1;
    // The data directories follow the optional header's fixed fields, which are longer for PE32+.
    const std::int64_t directories = optional + (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC   ? 112
                                                 : magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC ? 96
                                                                                          : -optional - 1);
    if (directories < 0) return -1;
    const std::int64_t entry = directories + IMAGE_DIRECTORY_ENTRY_SECURITY * sizeof(IMAGE_DATA_DIRECTORY);
    IMAGE_DATA_DIRECTORY security{};
    if (entry + static_cast<std::int64_t>(sizeof(security)) > optional + header.SizeOfOptionalHeader ||
        !readAt(entry, &security, sizeof(security)))
        return -1;
    // The certificate table's address is a file offset; a signature is appended at the file's end.
    if (security.VirtualAddress == 0 || security.Size == 0 ||
        static_cast<std::int64_t>(security.VirtualAddress) + security.Size != size.QuadPart)
        return -1;
    return security.VirtualAddress;
}

namespace {
// The listed size, or the size on disk of the listed file signed since.
std::int64_t SizeAsListed(const std::wstring& path, std::int64_t listed) {
    const std::int64_t size = SizeOnDisk(path);
    if (size < 0 || size == listed) return listed;
    // Signing pads the file with zeros to a multiple of 8 bytes, then appends the signature.
    const std::int64_t unsignedPart = SizeBeforeSignature(path);
    return unsignedPart >= 0 && unsignedPart == (listed + 7) / 8 * 8 ? size : listed;
}
}  // namespace

InstallRecord RecordWithoutARecord(const StoredSettings& settings, const ShellFolders& shell,
                                   const std::vector<PayloadEntry>& entries, const std::wstring& runningUninstaller) {
    const SetupChoices choices = ChoicesOf(settings);
    InstallRecord record;
    NoteInstallationFolders(record, choices);
    record.Uninstaller = record.UninstallFolder + kUninstallerFile;
    record.AddFolder(record.UninstallFolder);
    record.AddFolder(record.BinFolder);
    for (const PayloadEntry& entry : entries) {
        // The data folder holds the user's files among the setup's: without a record no file there
        // can be told from the user's.
        std::wstring base;
        if (entry.Root == L"PROGRAM") base = record.BinFolder;
        else if (entry.Root == L"UNINST") base = record.UninstallFolder;
        else continue;
        std::wstring folder = base;
        for (const std::wstring& part : Split(entry.Folder, L'\\')) {
            if (part.empty()) continue;
            folder += part + L"\\";
            record.AddFolder(folder);
        }
        const std::wstring path = folder + entry.FileName;
        if (entry.Size >= 0) record.AddFile(path, SizeAsListed(path, entry.Size));
        // A file the build could not size is only known for certain when it is the running program.
        else if (!runningUninstaller.empty() && SamePath(path, runningUninstaller)) record.AddFile(path, SizeOnDisk(path));
    }
    // The links the setup makes, as long as they start this installation's program.
    const std::wstring root = ProductFolderInRoot(record.BinFolder);
    for (const std::wstring& link : {shell.CommonDesktop + kLinkName, shell.Desktop + kLinkName,
                                     shell.StartMenu + kLinkName, root.empty() ? L"" : root + kLinkName}) {
        if (!Utillity::IsAbsolutePath(link) || !Utillity::FileExists(link)) continue;
        const std::wstring target = ShortcutTarget(link);
        if (target.size() > record.BinFolder.size() && SamePath(UpperCase(FolderOf(target)), UpperCase(record.BinFolder))) {
            record.AddLink(link);
            if (SamePath(link, shell.StartMenu + kLinkName)) record.AddFolder(shell.StartMenu);
        }
    }
    record.IniFile = record.BinFolder + kIniFileName;
    // Earlier setups wrote the open command without the quotes around the program.
    for (const FileTypeNames& type : kFileTypes) {
        const std::wstring current = ReadValue(HKEY_CURRENT_USER, kClassesKey + std::wstring(type.TypeName) +
                                                                      L"\\shell\\open\\command", nullptr);
        const std::wstring unquoted = record.BinFolder + kProgramFile + L" \"%1\"";
        record.AddFileType({type.Extension, type.TypeName, current == unquoted ? unquoted : OpenCommandOf(record.BinFolder)});
    }
    record.Settings = RecordedKey{kSettingsKey, ReadValue(HKEY_CURRENT_USER, kSettingsKey, L"InstallTime")};
    record.UninstallEntry = RecordedKey{kUninstallKey, L"\"" + record.Uninstaller + L"\""};
    return record;
}

Installation FindInstallation(const std::wstring& uninstallerPath, const ShellFolders& shell,
                              const std::vector<PayloadEntry>& entries) {
    Installation found;
    const auto recorded = [&](const std::wstring& path) {
        std::optional<InstallRecord> record = ReadInstallRecordFile(path);
        if (!record) return false;
        found = {InstallationKind::Recorded, std::move(*record), path};
        return true;
    };
    if (recorded(FolderOf(uninstallerPath) + kInstallRecordFileName)) return found;
    StoredSettings settings;
    try {
        if (!ReadStoredSettings(settings)) return found;
    } catch (const EVQError& error) {
        // A key this program did not write names no installation of its own.
        WriteLog(error.Message());
        return found;
    }
    const SetupChoices choices = ChoicesOf(settings);
    if (!Utillity::IsAbsolutePath(choices.UseRemoveable ? choices.RemoveableProgramFolder : choices.ProgramFolder))
        return found;
    // An uninstaller started from elsewhere removes the installation the settings key names.
    if (recorded(GetUninstallerFolder(choices, shell) + kInstallRecordFileName)) return found;
    found = {InstallationKind::Unrecorded, RecordWithoutARecord(settings, shell, entries, uninstallerPath), L""};
    return found;
}

std::wstring UninstallLanguage() {
    StoredSettings settings;
    try {
        if (ReadStoredSettings(settings) && !settings.Language.empty()) return settings.Language;
    } catch (const EVQError&) {
        // Settings that cannot be read say nothing about the language either.
    }
    return LanguageOfSystem(Utillity::GetSystemLanguage());
}
