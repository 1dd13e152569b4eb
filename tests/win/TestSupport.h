#pragma once
// Helpers shared by the Windows tests: a scratch folder, the log's contents, answering dialogs.
#include <windows.h>

#include <string>
#include <vector>

#include "services/UtillityUnit.h"

namespace testsupport {

// A fresh folder below the temp folder, removed with its contents at the end of the test.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::wstring& name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::wstring& Path() const { return path_; }  // with trailing backslash

private:
    std::wstring path_;
};

std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
void DeleteTree(const std::wstring& path);
// The names of the files (not folders) directly in folder.
std::vector<std::wstring> FilesIn(const std::wstring& folder);

// Points this process's temp folder at folder until the object goes. GetTempPathW reads TMP
// before TEMP, so both are set; the earlier values come back at the end.
class TempFolderOverride {
public:
    explicit TempFolderOverride(const std::wstring& folder);
    ~TempFolderOverride();
    TempFolderOverride(const TempFolderOverride&) = delete;
    TempFolderOverride& operator=(const TempFolderOverride&) = delete;

private:
    std::wstring tmp_, temp_;
};

// The setup log as lines (CR LF split), and its lines written after a given count.
std::vector<std::string> LogLines();

// Records every dialog and answers it by pressing the button at the given position
// (or the one whose result is given), until the recorder is destroyed.
class DialogRecorder {
public:
    DialogRecorder();
    ~DialogRecorder();
    DialogRecorder(const DialogRecorder&) = delete;
    DialogRecorder& operator=(const DialogRecorder&) = delete;
    // Answers queued in order; when the queue is empty the first button is pressed.
    void PressButton(size_t position) { presses_.push_back(position); }
    const std::vector<DialogRequest>& Dialogs() const { return dialogs_; }

private:
    std::vector<DialogRequest> dialogs_;
    std::vector<size_t> presses_;
};

// The stand-in application, started and waited for until its window answers; closed at the end.
class StandIn {
public:
    StandIn();
    ~StandIn();
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;
    HWND Window() const;

private:
    HANDLE process_ = nullptr;
};

// Makes any dialog that a test did not expect a test failure (answered with its first button).
void AnswerUnexpectedDialogs();

// The text after the regional date and time of a log line.
std::string LogText(const std::string& line);

}  // namespace testsupport
