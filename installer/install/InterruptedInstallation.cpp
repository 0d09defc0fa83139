#include "InterruptedInstallation.h"

#include <windows.h>

#include <string>

#include "AddOnReplacement.h"
#include "FileCalls.h"
#include "InstallPlan.h"
#include "installer/InstallerMessages.h"
#include "installer/InstallerText.h"
#include "ReplacementJournal.h"
#include "installer/resource.h"
#include "support/UniqueHandle.h"

namespace kefo {
namespace {

bool IsGone(DWORD code) {
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
}

// The first step that failed; the rest go on, so that as much as possible
// is in order, and the journal is kept for another try.
class Recovery {
public:
    bool Exists(const std::wstring& path) const {
        return Files().getAttributes(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    // Removes a file of ours, read-only or not.
    void Remove(const std::wstring& path) {
        if (!Exists(path)) return;
        Files().setAttributes(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!Files().deleteFile(path.c_str())) Note(L"DeleteFile", path);
    }

    // Puts a moved-aside file back under its own name.
    void PutBack(const std::wstring& path, DWORD attributes) {
        if (!Files().moveFile(AsideName(path).c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH)) {
            Note(L"MoveFile", path);
            return;
        }
        if (attributes != 0) Files().setAttributes(path.c_str(), attributes);
    }

    void Note(const wchar_t* function, const std::wstring& path) {
        const DWORD code = GetLastError();
        if (IsGone(code) || failed_) return;
        failed_ = true;
        code_ = code;
        function_ = function;
        path_ = path;
    }

    // The replacement the journal describes, undone.
    void RollBack(const JournalContents& journal) {
        for (auto entry = journal.entries.rbegin(); entry != journal.entries.rend(); ++entry) {
            const std::wstring path = AddOnsFolderPath(entry->name);
            if (entry->replaced) Remove(TemporaryName(path));
            if (entry->present && Exists(AsideName(path))) {
                // Whatever is at the name now is a new file of ours.
                Remove(path);
                PutBack(path, entry->attributes);
            } else if (!entry->present && entry->replaced) {
                Remove(path);
            }
        }
    }

    // ... finished: every new file is in place.
    void RollForward(const JournalContents& journal) {
        for (const JournalEntry& entry : journal.entries) {
            const std::wstring path = AddOnsFolderPath(entry.name);
            Remove(TemporaryName(path));
            Remove(AsideName(path));
        }
    }

    // Files of those names that no journal explains; whether there were any.
    bool SweepLeftovers() {
        bool found = false;
        struct Kind {
            const wchar_t* suffix;
            bool movedAside;
        };
        for (const Kind kind : {Kind{L".kefo-new", false}, Kind{L".kefo-old", true}}) {
            const wchar_t* suffix = kind.suffix;
            const std::wstring pattern = AddOnsFolderPath(std::wstring(L"*") + suffix);
            WIN32_FIND_DATAW data;
            UniqueFindHandle search(FindFirstFileW(pattern.c_str(), &data));
            for (bool more = static_cast<bool>(search); more;
                 more = FindNextFileW(search.Get(), &data)) {
                const std::wstring name = data.cFileName;
                const std::size_t length = wcslen(suffix);
                // A short name may match the pattern where the long one does not.
                if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
                    name.size() <= length ||
                    CompareStringOrdinal(name.c_str() + name.size() - length,
                                         static_cast<int>(length), suffix, static_cast<int>(length),
                                         TRUE) != CSTR_EQUAL)
                    continue;
                found = true;
                const std::wstring original =
                    AddOnsFolderPath(name.substr(0, name.size() - length));
                if (kind.movedAside && !Exists(original)) {
                    PutBack(original, 0);
                } else {
                    Remove(AddOnsFolderPath(name));
                }
            }
        }
        return found;
    }

    bool failed_ = false;
    DWORD code_ = 0;
    const wchar_t* function_ = L"";
    std::wstring path_;
};

}  // namespace

bool RecoverInterruptedInstallation() {
    const std::wstring journalPath = JournalPath();
    Recovery recovery;
    UINT told = 0;  // the message for what was done; 0: nothing was found

    JournalContents journal;
    DWORD readError = 0;
    if (ReadJournal(journalPath, journal, readError)) {
        // A journal without a whole plan was cut short before anything changed.
        const bool finish = journal.planned && journal.phase == JournalPhase::kPlaced;
        if (finish) {
            recovery.RollForward(journal);
        } else {
            recovery.RollBack(journal);
        }
        told = finish ? IDS_UNFINISHED_COMPLETED : IDS_UNFINISHED_UNDONE;
        if (!recovery.failed_) recovery.Remove(journalPath);
    } else if (!IsGone(readError)) {
        SetLastError(readError);
        recovery.Note(L"ReadFile", journalPath);
    }
    // While the journal stays, it explains the files it names.
    if (!recovery.failed_ && recovery.SweepLeftovers() && told == 0) told = IDS_LEFTOVERS_CLEANED;

    const std::wstring folder = AddOnsFolderPath(L"");
    if (recovery.failed_) {
        ShowInstallerMessage(
            FormatInstallerString(IDS_UNFINISHED_FAILED, folder, recovery.code_, recovery.function_,
                                  recovery.path_, SystemErrorText(recovery.code_))
                .c_str(),
            MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (told != 0)
        ShowInstallerMessage(FormatInstallerString(told, folder).c_str(),
                             MB_OK | MB_ICONINFORMATION);
    return true;
}

}  // namespace kefo
