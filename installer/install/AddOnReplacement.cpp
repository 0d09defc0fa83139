#include "AddOnReplacement.h"

#include <utility>

#include "FileCalls.h"
#include "InstallPlan.h"
#include "installer/InstallerMessages.h"
#include "support/ErrorRecordW.h"
#include "support/UniqueHandle.h"

namespace kefo {
namespace {

const wchar_t kSourcePath[] = L"" __FILE__;

// Removes a file of ours, read-only or not; one that is not there is fine.
void RemoveOwnFile(const std::wstring& path) noexcept {
    Files().setAttributes(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    Files().deleteFile(path.c_str());
}

}  // namespace

std::wstring AsideName(const std::wstring& path) {
    return path + L".kefo-old";
}

std::wstring TemporaryName(const std::wstring& path) {
    return path + L".kefo-new";
}

bool AddOnReplacement::Apply() {
    done_.clear();
    journaled_ = placed_ = false;
    journal_.path = JournalPath();
    if (!Record(JournalPhase::kReplacing)) return false;
    journaled_ = true;
    for (const AddOnChange& addOn : addOns_)
        if (!ReplaceAddOn(addOn)) return false;
    if (!Record(JournalPhase::kPlaced)) return false;
    placed_ = true;
    return DeleteMovedAside();
}

bool AddOnReplacement::Append(JournalPhase phase) const {
    std::vector<JournalEntry> entries;
    if (phase == JournalPhase::kReplacing) {
        const std::size_t folder = AddOnsFolderPath(L"").size();
        for (const AddOnChange& addOn : addOns_)
            for (const FileChange& file : addOn)
                entries.push_back({file.path.substr(folder), file.present, !file.source.empty(),
                                   file.attributes});
    }
    const std::vector<unsigned char> record = JournalRecord(phase, entries);
    return Files().appendToFile(journal_.path.c_str(), record.data(),
                                static_cast<DWORD>(record.size())) != FALSE;
}

bool AddOnReplacement::Record(JournalPhase phase) {
    if (Append(phase)) return true;
    const DWORD code = GetLastError();
    Undo();
    if (phase == JournalPhase::kReplacing) RemoveOwnFile(journal_.path);
    ErrorRecordW error;
    SetError(kErrorSystem, &error, code, L"WriteFile", journal_.path.c_str(), kSourcePath, __LINE__,
             0, nullptr);
    ReportUnexpectedError(error);
    return false;
}

bool AddOnReplacement::Attempt(const std::function<bool()>& step, const wchar_t* function,
                               const FileChange& file, int line,
                               const std::function<void()>& letGo) {
    for (;;) {
        if (step()) return true;
        const DWORD code = GetLastError();
        const bool held = code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION;
        if (held && AskToRetryFileInUse(file.path, code)) continue;
        if (letGo) letGo();
        Undo();
        // Cancel has been answered; anything else is told.
        if (!held) {
            ErrorRecordW error;
            SetError(kErrorSystem, &error, code, function, file.path.c_str(), kSourcePath, line, 0,
                     nullptr);
            ReportUnexpectedError(error);
        }
        return false;
    }
}

bool AddOnReplacement::ReplaceAddOn(const AddOnChange& addOn) {
    // The files there now go aside first, so that a new file never lands on
    // an old one and every old file can be put back.
    for (const FileChange& file : addOn) {
        if (!file.present) continue;
        const std::wstring aside = AsideName(file.path);
        if (!Attempt(
                [&] {
                    return Files().moveFile(file.path.c_str(), aside.c_str(),
                                            MOVEFILE_WRITE_THROUGH);
                },
                L"DeleteFile", file, __LINE__))
            return false;
        done_.push_back({Step::kMovedAside, &file});
    }
    for (const FileChange& file : addOn) {
        if (file.source.empty()) continue;
        const std::wstring temporary = TemporaryName(file.path);
        // Noted before the copy: a copy that fails half-way leaves a part.
        done_.push_back({Step::kTemporary, &file});
        // The copy is on the disk before its name is, so that a crash
        // never leaves a named file without its data.
        if (!Attempt([&] { return Files().copyFile(file.source.c_str(), temporary.c_str(), TRUE); },
                     L"CopyFile", file, __LINE__) ||
            !Attempt([&] { return Files().flushFile(temporary.c_str()); }, L"CopyFile", file,
                     __LINE__) ||
            !Attempt(
                [&] {
                    return Files().moveFile(temporary.c_str(), file.path.c_str(),
                                            MOVEFILE_WRITE_THROUGH);
                },
                L"CopyFile", file, __LINE__))
            return false;
        done_.push_back({Step::kPlaced, &file});
    }
    return true;
}

bool AddOnReplacement::DeleteMovedAside() {
    // Held open until every file is marked; closed before anything is put
    // back, since they share nothing.
    std::vector<std::pair<const FileChange*, UniqueFile>> aside;
    const auto letGo = [&aside] {
        for (auto& file : aside) Files().markForDelete(file.second.Get(), FALSE);
        aside.clear();
    };
    for (const Done& done : std::vector<Done>(done_)) {
        if (done.step != Step::kMovedAside) continue;
        const FileChange& file = *done.file;
        const std::wstring name = AsideName(file.path);
        // A read-only file cannot be marked for deletion.
        if (file.attributes & FILE_ATTRIBUTE_READONLY) {
            DWORD writable = file.attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
            if (writable == 0) writable = FILE_ATTRIBUTE_NORMAL;
            if (!Attempt([&] { return Files().setAttributes(name.c_str(), writable); },
                         L"SetFileAttributes", file, __LINE__, letGo))
                return false;
            done_.push_back({Step::kAttributesCleared, &file});
        }
        UniqueFile handle;
        if (!Attempt(
                [&] {
                    handle.Reset(Files().openForDelete(name.c_str()));
                    return static_cast<bool>(handle);
                },
                L"DeleteFile", file, __LINE__, letGo))
            return false;
        aside.emplace_back(&file, std::move(handle));
    }
    // The journal goes last and with the rest: while it is there, a crash
    // leaves the next run to delete what is still moved aside.
    UniqueFile journal;
    if (!Attempt(
            [&] {
                journal.Reset(Files().openForDelete(journal_.path.c_str()));
                return static_cast<bool>(journal);
            },
            L"DeleteFile", journal_, __LINE__, letGo))
        return false;
    aside.emplace_back(&journal_, std::move(journal));
    // Nothing is deleted until every file is marked, and a mark can be
    // taken back: the files go together when their handles close.
    for (auto& file : aside) {
        if (!Attempt([&] { return Files().markForDelete(file.second.Get(), TRUE); }, L"DeleteFile",
                     *file.first, __LINE__, letGo))
            return false;
    }
    aside.clear();
    done_.clear();
    journaled_ = placed_ = false;
    return true;
}

void AddOnReplacement::Undo() noexcept {
    // Once the journal says the new files are in place, it must say
    // otherwise before any is taken away; if it cannot, everything stays
    // for the next run to finish.
    if (placed_) {
        placed_ = false;
        if (!Append(JournalPhase::kUndoing)) {
            done_.clear();
            journaled_ = false;
            return;
        }
    }
    for (auto done = done_.rbegin(); done != done_.rend(); ++done) {
        const FileChange& file = *done->file;
        switch (done->step) {
            case Step::kPlaced: RemoveOwnFile(file.path); break;
            case Step::kTemporary: RemoveOwnFile(TemporaryName(file.path)); break;
            case Step::kMovedAside:
                Files().moveFile(AsideName(file.path).c_str(), file.path.c_str(),
                                 MOVEFILE_WRITE_THROUGH);
                break;
            case Step::kAttributesCleared:
                Files().setAttributes(AsideName(file.path).c_str(), file.attributes);
                break;
        }
    }
    done_.clear();
    if (journaled_) RemoveOwnFile(journal_.path);
    journaled_ = false;
}

}  // namespace kefo
