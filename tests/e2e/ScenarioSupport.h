#pragma once
// What the end-to-end scenarios share: the folders and keys of a default installation, file and
// folder helpers, the setup log written after a start, the archive the setup carries with the
// check that an installation holds exactly its files, and the scenario fixture that removes an
// installation before and after each scenario.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Driver.h"
#include "archive/PackFileUnit.h"
#include "archive/ResourceStream.h"

namespace e2e {

inline const std::wstring kProgramFolder = L"C:\\Program Files\\VessasQuorin\\";
inline const std::wstring kBin = kProgramFolder + L"Bin\\";
inline const std::wstring kDataFolder = L"C:\\users\\Public\\VessasQuorin\\";
inline const std::wstring kSettingsKey = L"Software\\VessasQuorin";
inline const std::wstring kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VessasQuorin";

// ---- files and folders

std::wstring SpecialFolder(int csidl);  // with a backslash
std::wstring TempFolder();               // this program's
bool FileExists(const std::wstring& path);
std::string ReadBytes(const std::wstring& path);
void DeleteTree(const std::wstring& folder);
// Every file below a folder, as lower-case full paths.
void CollectFiles(const std::wstring& folder, std::set<std::wstring>& files);
std::wstring Lower(std::wstring text);
std::wstring SetupExe();

// The stand-in application beside the driver, running; ended (if still running) with the object.
class RunningApplication {
public:
    RunningApplication();
    ~RunningApplication();
    RunningApplication(const RunningApplication&) = delete;
    RunningApplication& operator=(const RunningApplication&) = delete;
    // Its window, once shown (within 10 s of the start); null when it showed none.
    HWND Window() const { return window_; }
    // Asks it to close, as the user would; true once it has ended.
    bool Close();

private:
    HANDLE process_ = nullptr;
    HWND window_ = nullptr;
};

// ---- INI file, installation

std::wstring Ini(const std::wstring& section, const std::wstring& key, const std::wstring& bin = kBin);
// Everything an installation into the default folders leaves on the machine, removed.
void RemoveInstallation();

// ---- the setup log

bool StartsWith(const std::string& text, const std::string& prefix);
// The expected lines, each found (by its beginning) after the one before; a failure otherwise.
void ExpectInOrder(const std::vector<std::string>& lines, const std::vector<std::string>& expected);

// The log is never truncated: a scenario reads what was appended after its start.
class LogReader {
public:
    LogReader() : path_(TempFolder() + L"VQ_Setup_Log.Txt"), start_(ReadBytes(path_).size()) {}

    // The texts of the new lines without their time stamps; continuation lines of a message
    // that holds line breaks have no stamp and stay as they are.
    std::vector<std::string> Lines() const {
        const std::string bytes = ReadBytes(path_);
        std::vector<std::string> lines;
        size_t at = std::min(start_, bytes.size());
        while (at < bytes.size()) {
            size_t end = bytes.find("\r\n", at);
            if (end == std::string::npos) end = bytes.size();
            lines.push_back(WithoutStamp(bytes.substr(at, end - at)));
            at = end + 2;
        }
        return lines;
    }

private:
    static std::string WithoutStamp(const std::string& line) {
        // "<short date> <long time> <text>"; the regional formats may hold blanks themselves.
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        wchar_t date[64] = {}, time[64] = {};
        ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 64);
        ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, 64);
        const std::string datePart = Narrow(date) + " ";
        if (line.compare(0, datePart.size(), datePart) != 0) return line;
        size_t blanks = static_cast<size_t>(std::count(time, time + wcslen(time), L' ')) + 1;
        size_t pos = datePart.size();
        while (blanks-- > 0) {
            pos = line.find(' ', pos);
            if (pos == std::string::npos) return line;
            ++pos;
        }
        return line.substr(pos);
    }

    std::wstring path_;
    size_t start_;
};

// ---- the archive the setup carries

std::string Gunzip(const std::string& member);

class Payload {
public:
    Payload() {
        module_ = ::LoadLibraryExW(SetupExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        if (!module_) return;
        stream_ = std::make_unique<TMemoryStream>(OpenResourceStream(module_, L"FILESTREAM"));
        files_.Load(*stream_, version_);
    }
    ~Payload() {
        if (module_) ::FreeLibrary(module_);
    }
    const std::wstring& Version() const { return version_; }
    const std::vector<std::unique_ptr<TPackFile>>& Entries() const { return files_.Entries; }

    static bool Selected(const TPackFile& e, const std::wstring& language) {
        return e.Group.empty() || e.Group == language || (language.size() == 5 && e.Group == language.substr(0, 2));
    }
    static std::wstring Target(const TPackFile& e, const std::wstring& program, const std::wstring& data) {
        std::wstring root;
        if (e.Root == L"PROGRAM") root = program + L"Bin\\";
        else if (e.Root == L"UNINST") root = program;
        else if (e.Root.rfind(L"USER", 0) == 0) {
            root = data + e.Root.substr(std::min<size_t>(5, e.Root.size()));
            if (root.back() != L'\\') root += L'\\';
        } else root = data;
        return root + (e.Folder.empty() ? L"" : e.Folder + L"\\") + e.FileName;
    }
    // The bytes an entry leaves on disk.
    std::string Content(const TPackFile& e) const {
        std::string data(static_cast<size_t>(e.Size), '\0');
        stream_->Seek(e.DataOffset);
        stream_->Read(data.data(), e.Size);
        return e.Compressed ? Gunzip(data) : data;
    }

private:
    HMODULE module_ = nullptr;
    std::unique_ptr<TMemoryStream> stream_;
    TPackFiles files_{nullptr};
    std::wstring version_;
};

const Payload& ThePayload();
// The installation of one language into two folders holds exactly the archive's files of that
// language, byte for byte, and nothing of the other languages.
void ExpectInstalled(const std::wstring& language, const std::wstring& program, const std::wstring& data);

// ---- walking the wizard

// From the welcome page to the confirmation page with every choice left as it is.
void NextToConfirmation(SetupProcess& setup);

class Scenario : public ::testing::Test {
protected:
    void SetUp() override {
        RemoveInstallation();
        log_ = std::make_unique<LogReader>();
    }
    void TearDown() override {
        CloseTextViewers();
        RemoveInstallation();
    }
    std::vector<std::string> Log() const { return log_->Lines(); }
    // Lines written from now on only, after a preparation that ran the setup itself.
    void RestartLog() { log_ = std::make_unique<LogReader>(); }

private:
    std::unique_ptr<LogReader> log_;
};

}  // namespace e2e
