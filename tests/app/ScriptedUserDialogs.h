#pragma once

#include "app/dialogs/UserDialogs.h"

#include <QPrinter>
#include <QQueue>
#include <QStringList>

namespace nxa::app {

// Answers from queues and records every dialog shown, in order.
// An empty queue answers "cancel" (empty text, No, 0, false); an empty text
// queue confirms the preset, as the title dialog has only an OK button.
class ScriptedUserDialogs : public UserDialogs {
public:
    QList<Notice> notices; // every message box shown
    QStringList shown;     // one line per dialog: kind + title
    QQueue<bool> yesNoAnswers;
    QQueue<int> choiceAnswers;
    QQueue<QString> pathAnswers; // open, save and folder dialogs
    QQueue<std::optional<QString>> textAnswers;
    QQueue<QString> printerPdfPaths; // a path makes the printer print to that PDF file
    QStringList progressTexts;       // every progress window begun
    int cancelProgressAfter = -1;    // updates before a cancellable one is cancelled; -1 never

    void showNotice(const Notice &notice) override {
        notices.append(notice);
        shown.append(QStringLiteral("notice:") + notice.title);
    }
    bool askYesNo(const QString &title, const QString &) override {
        shown.append(QStringLiteral("yesno:") + title);
        return yesNoAnswers.isEmpty() ? false : yesNoAnswers.dequeue();
    }
    int chooseOne(const QString &question, const QString &, const QString &) override {
        shown.append(QStringLiteral("choice:") + question);
        return choiceAnswers.isEmpty() ? 0 : choiceAnswers.dequeue();
    }
    QString openFile(const QString &title, const QString &, const QStringList &) override {
        shown.append(QStringLiteral("open:") + title);
        return pathAnswers.isEmpty() ? QString() : pathAnswers.dequeue();
    }
    QString saveFile(const QString &title, const QString &) override {
        shown.append(QStringLiteral("save:") + title);
        return pathAnswers.isEmpty() ? QString() : pathAnswers.dequeue();
    }
    QString chooseFolder(const QString &title, const QString &) override {
        shown.append(QStringLiteral("folder:") + title);
        return pathAnswers.isEmpty() ? QString() : pathAnswers.dequeue();
    }
    std::optional<QString> inputText(const QString &caption, const QString &,
                                     const QString &preset) override {
        shown.append(QStringLiteral("input:") + caption);
        return textAnswers.isEmpty() ? std::optional<QString>(preset) : textAnswers.dequeue();
    }
    bool setUpPrinter(QPrinter &printer) override {
        shown.append(QStringLiteral("printer"));
        if (printerPdfPaths.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printerPdfPaths.dequeue());
        return true;
    }
    std::unique_ptr<ProgressWindow> beginProgress(const QString &text, bool cancellable) override {
        progressTexts.append(text);
        return std::make_unique<ScriptedProgress>(cancellable ? cancelProgressAfter : -1);
    }

private:
    class ScriptedProgress : public ProgressWindow {
    public:
        explicit ScriptedProgress(int cancelAfter) : m_left(cancelAfter) {}
        bool update(qint64, qint64) override { return m_left < 0 || m_left-- > 0; }

    private:
        int m_left;
    };
};

} // namespace nxa::app
