#pragma once

#include "common/Notice.h"
#include "common/Progress.h"

#include <QString>

#include <memory>
#include <optional>

class QPrinter;

namespace nxa::app {

// The window of one long piece of work, open while the object lives. It shows
// only once the work has gone on for a moment, so quick work shows nothing.
class ProgressWindow {
public:
    virtual ~ProgressWindow() = default;
    // done of total (total 0 when unknown: the bar only shows activity);
    // false once the user chose Cancel.
    virtual bool update(qint64 done, qint64 total) = 0;
};

// The callback a library reports to, shown in window.
inline ProgressCallback progressCallback(ProgressWindow &window) {
    return [&window](qint64 done, qint64 total) { return window.update(done, total); };
}

// Every question or message the application puts to the user goes through
// here, so tests can script the answers and record what was shown.
class UserDialogs {
public:
    virtual ~UserDialogs() = default;

    // A message box with a single OK button.
    virtual void showNotice(const Notice &notice) = 0;
    // One box after the other, in order, each waiting for its OK.
    void showNotices(const Notices &notices) {
        for (const Notice &notice : notices)
            showNotice(notice);
    }
    // A box with Yes and No buttons; true only for Yes.
    virtual bool askYesNo(const QString &title, const QString &text) = 0;
    // The two-choice window: 0 when closed, 1 or 2 for the buttons.
    virtual int chooseOne(const QString &question, const QString &first, const QString &second) = 0;
    // filters: "Description (*.EXT)" entries; the first one is preselected.
    // An empty result means the dialog was cancelled.
    virtual QString openFile(const QString &title, const QString &directory,
                             const QStringList &filters) = 0;
    virtual QString saveFile(const QString &title, const QString &filter) = 0;
    virtual QString chooseFolder(const QString &title, const QString &directory) = 0;
    // A text-input dialog with a single OK button; nullopt when closed.
    virtual std::optional<QString> inputText(const QString &caption, const QString &prompt,
                                             const QString &preset) = 0;
    // The printer dialog, preset to one copy and all pages; false when cancelled.
    virtual bool setUpPrinter(QPrinter &printer) = 0;
    // Progress of long work with the busy cursor; Cancel only where stopping
    // midway loses nothing.
    virtual std::unique_ptr<ProgressWindow> beginProgress(const QString &text,
                                                          bool cancellable) = 0;
};

} // namespace nxa::app
