// The install run: preconditions, the archive, placement, links, INI file, registry, obsolete
// files; its own error message and the progress display.
#include "engine/InstallUnit.h"

#include <windows.h>

#include <cmath>
#include <memory>
#include <vector>

#include "archive/PackFileUnit.h"
#include "archive/ResourceStream.h"
#include "services/Handles.h"
#include "services/UtillityUnit.h"
#include "texts/ErrorUnit.h"
#include "texts/LanguageUnit.h"

namespace {
// Every run's reader and resource stream live until the program ends: the reader keeps the
// decompression library it loaded, and nothing of a run is released while the setup runs.
struct RunObjects {
    std::vector<std::unique_ptr<TMemoryStream>> Streams;
    std::vector<std::unique_ptr<TPackFiles>> Readers;
};
RunObjects& KeptAlive() {
    static RunObjects objects;
    return objects;
}

constexpr const wchar_t* kObsoleteFiles[] = {L"OpenNETCF.Desktop.Communication.Dll", L"VQ.Configuration.Dll",
                                             L"VQ.Utility.Dll", L"VessasQuorin.exe.manifest"};

std::int32_t RoundHalfEven(double value) { return static_cast<std::int32_t>(std::nearbyint(value)); }
}  // namespace

int ShowSetupError(const std::wstring& message, bool fatal) {
    if (fatal) {
        Utillity::ShowDialog(Text(txErrorDuringSetup), message, DialogKind::Information, ButtonSet({dbOK}), {Text(txOK)}, {mrOk});
        return mrCancel;
    }
    // OK and Cancel as the button kinds, relabelled Repeat and Cancel: so Enter repeats and Escape
    // cancels, as their captions say, where a Cancel/Retry pair would put Escape on Repeat.
    const int answer = Utillity::ShowDialog(Text(txErrorDuringSetup), message, DialogKind::Confirmation,
                                            ButtonSet({dbOK, dbCancel}), {Text(txRepeat), Text(txCancel)}, {mrRetry, mrCancel});
    return answer == mrRetry ? mrRetry : mrCancel;
}

void ShowProgress(InstallHost& host, const std::wstring&, const std::wstring& message, std::int32_t done,
                  std::int32_t total) {
    const std::int32_t percent = total > 0 ? RoundHalfEven(100.0 * done / total) : 0;
    if (percent != host.ProgressPosition()) {
        host.WriteLog(L"Progress: " + message + L" " + std::to_wstring(percent));
        host.SetProgressPosition(percent);
    }
    host.SetLabelProgress(Text(txUnpacking) + L" " + std::to_wstring(RoundHalfEven(done / 1024.0)) + L"/" +
                          std::to_wstring(RoundHalfEven(total / 1024.0)) + L"KB");
    // The user can only have asked while the window was serviced, which happens right above.
    if (host.CancelRequested()) throw TRunCancelled{};
}

void DeleteObsoleteFile(const std::wstring& path) {
    Guarded(L"Delete " + path, [&] {
        if (!Utillity::FileExists(path)) return;
        if (!::DeleteFileW(path.c_str()))
            throw EVQError(L"Cannot delete " + path + L" (" + std::to_wstring(::GetLastError()) + L")");
    });
}

std::int64_t FileSizeOf(const std::wstring& path) {
    std::int64_t size = 0;
    Guarded(L"GetFileSize " + path, [&] {
        if (!Utillity::FileExists(path)) return;
        // Others may read meanwhile: the setup file itself is open while it runs, and its size is
        // what the log is meant to show.
        FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!file) {
            size = -1;
            return;
        }
        LARGE_INTEGER bytes{};
        size = ::GetFileSizeEx(file.get(), &bytes) ? bytes.QuadPart : -1;
    });
    return size;
}

int RunInstallation(InstallHost& host) {
    int answer = mrAbort;
    Guarded([&] {
        // 1
        host.EnableInputs(false);
        // 2
        const std::wstring dashes(61, L'-');
        host.WriteLog(dashes);
        host.WriteLog(L"Vessa's Quorin Setup Log");
        host.WriteLog(dashes);
        host.WriteLog(L"Check IsRunning");
        const std::wstring bin = host.GetProgramFolder(true);
        const std::wstring data = host.GetDataFolder();
        [&] {
            // 3
            if (host.IsRunning()) {
                answer = ShowSetupError(Text(txCloseApplication), false);
                return;
            }
            // 4
            if (!CheckActualize(host)) return;
            // 5
            host.WriteLog(L"Archive: " + host.SetupFile());
            host.WriteLog(L"FileSize: " + std::to_wstring(FileSizeOf(host.SetupFile())));
            host.WriteLog(L"ProgramFolder=" + bin);
            host.WriteLog(L"DataFolder=" + data);
            host.WriteLog(L"Create PackFiles");
            auto& kept = KeptAlive();
            kept.Readers.push_back(std::make_unique<TPackFiles>(
                [&host](const std::wstring& group, const std::wstring& message, std::int32_t done, std::int32_t total) {
                    ShowProgress(host, group, message, done, total);
                }));
            TPackFiles& reader = *kept.Readers.back();
            // 6
            if (host.LanguageIndex() < 0) {
                answer = ShowSetupError(Text(txSelectLanguage), false);
                return;
            }
            host.WriteLog(L"LanguageCombobox.ItemIndex=" + std::to_wstring(host.LanguageIndex()));
            // 7, 8
            if (!Utillity::MakeFolderPath(bin)) {
                answer = ShowSetupError(Text(txDirectoryNotCreated) + L"\r\n" + bin, false);
                return;
            }
            host.WriteLog(L"ProgramFolder OK " + bin);
            if (!Utillity::MakeFolderPath(data)) {
                answer = ShowSetupError(Text(txDirectoryNotCreated) + L"\r\n" + data, false);
                return;
            }
            host.WriteLog(L"DataFolder OK");
            // 9
            host.ShowLabelProgress(true);
            kept.Streams.push_back(std::make_unique<TMemoryStream>(OpenResourceStream(nullptr, L"FILESTREAM")));
            std::wstring versionName;
            if (!reader.Load(*kept.Streams.back(), versionName)) {
                answer = ShowSetupError(Text(txArchiveIncomplete), true);
            } else {
                // 10
                host.WriteLog(L"Check VersionName");
                std::wstring installed;
                if (GetInstalledVersion(host, installed) && IsNewerVersion(installed, versionName)) {
                    host.WriteLog(L"Newer Version installed " + installed + L" " + versionName);
                    answer = ShowSetupError(Text(txNewerVersionInstalled) + L" (" + installed + L")", true);
                } else {
                    // 11
                    host.WriteLog(L"ExtractFiles");
                    try {
                        ExtractFiles(host, reader);
                    } catch (const TRunCancelled&) {
                        // The entry being written has removed its partial file; nothing further
                        // is placed, and no link, INI file or registry value is written.
                        host.WriteLog(L"Cancelled by the user");
                        answer = mrCancel;
                        host.ShowLabelProgress(false);
                        return;
                    }
                    host.WriteLog(L"CreateLinks");
                    CreateLinks(host);
                    host.WriteLog(L"MakeIniFile");
                    MakeIniFile(host, versionName);
                    host.WriteLog(L"WriteRegistry");
                    WriteRegistry(host);
                    for (const wchar_t* name : kObsoleteFiles) {
                        host.WriteLog(L"RemoveFile: " + bin + name);
                        DeleteObsoleteFile(bin + name);
                    }
                    host.WriteLog(L"Finish");
                    answer = mrOk;
                }
            }
            // 12
            host.ShowLabelProgress(false);
        }();
        // 13
        host.EnableInputs(true);
    });
    return answer;
}
