#include "ScenarioSupport.h"

#include <shlobj.h>
#include <zlib.h>

#include <algorithm>

#include "engine/InstallRecord.h"
#include "services/VQError.h"
#include "wizard/VQSetupUnit.h"

namespace e2e {

// ---- files and folders

std::wstring SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    std::wstring folder = path;
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder;
}

std::wstring TempFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, path);
    return path;
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadBytes(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes(static_cast<size_t>(::GetFileSize(file, nullptr)), '\0');
    DWORD got = 0;
    if (!bytes.empty()) ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    ::CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

void DeleteTree(const std::wstring& folder) {
    const std::wstring base = folder.back() == L'\\' ? folder : folder + L'\\';
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((base + L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = base + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteTree(path);
            } else {
                ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(path.c_str());
            }
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(base.c_str());
}

void CollectFiles(const std::wstring& folder, std::set<std::wstring>& files) {
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            CollectFiles(folder + name + L"\\", files);
        } else {
            std::wstring path = folder + name;
            ::CharLowerBuffW(path.data(), static_cast<DWORD>(path.size()));
            files.insert(path);
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

bool StartsWith(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

void ExpectInOrder(const std::vector<std::string>& lines, const std::vector<std::string>& expected) {
    size_t at = 0;
    for (const std::string& prefix : expected) {
        while (at < lines.size() && !StartsWith(lines[at], prefix)) ++at;
        if (at == lines.size()) {
            ADD_FAILURE() << "log line \"" << prefix << "\" missing or out of order";
            return;
        }
        ++at;
    }
}

std::wstring Lower(std::wstring text) {
    ::CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

RunningApplication::RunningApplication() {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION app{};
    std::wstring command = L"\"" + ModuleFolder() + L"VessasQuorin.Exe\" 60";
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &app)) return;
    ::CloseHandle(app.hThread);
    process_ = app.hProcess;
    for (int i = 0; i < 200 && !window_; ++i) {
        ::Sleep(50);
        window_ = ::FindWindowW(L"TVessasQuorinMain", nullptr);
    }
}

RunningApplication::~RunningApplication() {
    if (!process_) return;
    if (::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) ::TerminateProcess(process_, 0);
    ::CloseHandle(process_);
}

bool RunningApplication::Close() {
    if (!process_) return false;
    if (window_) ::PostMessageW(window_, WM_CLOSE, 0, 0);
    return ::WaitForSingleObject(process_, 10000) == WAIT_OBJECT_0;
}

std::wstring SetupExe() { return ModuleFolder() + L"VQSetup.exe"; }

// ---- INI file, installation

std::wstring Ini(const std::wstring& section, const std::wstring& key, const std::wstring& bin) {
    wchar_t value[1024] = {};
    ::GetPrivateProfileStringW(section.c_str(), key.c_str(), L"<missing>", value, 1024, (bin + L"VessasQuorin.Ini").c_str());
    return value;
}

void RemoveInstallation() {
    DeleteTree(kProgramFolder);
    DeleteTree(kDataFolder);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey.c_str());
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUninstallKey.c_str());
    for (const wchar_t* type : {L".qvbak", L".qvcalc", L"VessasQuorin", L"VessasQuorinGS"})
        ::RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(L"Software\\Classes\\") + type).c_str());
    ::DeleteFileW((SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + L"Vessas Quorin.lnk").c_str());
    ::DeleteFileW((SpecialFolder(CSIDL_DESKTOP) + L"Vessas Quorin.lnk").c_str());
    DeleteTree(SpecialFolder(CSIDL_PROGRAMS) + L"Vessas Quorin");
    // Where a removable installation keeps its uninstaller and install record on the machine.
    DeleteTree(SpecialFolder(CSIDL_COMMON_APPDATA) + L"VessasQuorin");
}

// ---- the archive the setup carries

std::string Gunzip(const std::string& member) {
    z_stream z{};
    if (inflateInit2(&z, 16 + MAX_WBITS) != Z_OK) return {};
    std::string out;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(member.data()));
    z.avail_in = static_cast<uInt>(member.size());
    char buffer[65536];
    int status = Z_OK;
    while (status == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof(buffer);
        status = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, sizeof(buffer) - z.avail_out);
    }
    inflateEnd(&z);
    return status == Z_STREAM_END ? out : std::string("<corrupt gzip member>");
}

const Payload& ThePayload() {
    static Payload payload;
    return payload;
}

void ExpectInstalled(const std::wstring& language, const std::wstring& program, const std::wstring& data) {
    const Payload& payload = ThePayload();
    ASSERT_FALSE(payload.Entries().empty()) << "the setup's archive could not be read";
    std::set<std::wstring> expected;
    int wrong = 0;
    for (const auto& e : payload.Entries()) {
        if (!Payload::Selected(*e, language)) continue;
        const std::wstring path = Payload::Target(*e, program, data);
        expected.insert(Lower(path));
        if (ReadBytes(path) != payload.Content(*e) && ++wrong <= 5) ADD_FAILURE() << "not the archive's bytes: " << Narrow(path);
    }
    EXPECT_EQ(wrong, 0) << "files with wrong contents";
    std::set<std::wstring> found;
    CollectFiles(program, found);
    CollectFiles(data, found);
    std::vector<std::wstring> missing, extra;
    std::set_difference(expected.begin(), expected.end(), found.begin(), found.end(), std::back_inserter(missing));
    std::set_difference(found.begin(), found.end(), expected.begin(), expected.end(), std::back_inserter(extra));
    // Besides the archive's files, the installation writes only the application's INI file and,
    // beside the uninstaller on a fixed disk, the install record, which lists every file written.
    extra.erase(std::remove(extra.begin(), extra.end(), Lower(program + L"Bin\\VessasQuorin.Ini")), extra.end());
    const std::wstring recordPath = program + kInstallRecordFileName;
    const auto record = std::find(extra.begin(), extra.end(), Lower(recordPath));
    if (record != extra.end()) {
        extra.erase(record);
        try {
            const InstallRecord recorded = ParseInstallRecord(ReadBytes(recordPath));
            for (const auto& e : payload.Entries()) {
                if (!Payload::Selected(*e, language)) continue;
                const std::wstring path = Payload::Target(*e, program, data);
                const RecordedFile* file = recorded.FindFile(path);
                if (!file) ADD_FAILURE() << "not in the install record: " << Narrow(path);
                else EXPECT_EQ(file->Size, static_cast<std::int64_t>(ReadBytes(path).size())) << Narrow(path);
            }
        } catch (const EVQError& error) {
            ADD_FAILURE() << "the install record cannot be read: " << Narrow(error.Message());
        }
    }
    for (const auto& p : missing) ADD_FAILURE() << "missing: " << Narrow(p);
    for (const auto& p : extra) ADD_FAILURE() << "not of this installation: " << Narrow(p);
}

// ---- walking the wizard

void NextToConfirmation(SetupProcess& setup) {
    setup.WaitPage(pgLanguage);
    for (int guard = 0; guard < 6 && setup.Page() != pgConfirm; ++guard) {
        const int page = setup.Page();
        setup.Click(idNextButton);
        setup.WaitUntil([&] { return setup.Page() > page; }, 15000, "the page after " + std::to_string(page));
    }
    setup.WaitPage(pgConfirm);
}

}  // namespace e2e
