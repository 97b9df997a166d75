#pragma once

#include "core/DocumentFile.h"

#include <QString>

#include <functional>

class EditorText;
class UserQuestions;

// The document commands of the "&Fitxer" menu and the dropped and command-line
// files: new, new HTML, open, save, save as, and the close question.
class DocumentCommands
{
public:
    // setCaption receives the file name part of the caption rule; empty for a new document.
    DocumentCommands(EditorText &editor, UserQuestions &ask,
                     std::function<void(const QString &fileName)> setCaption);

    // How a document text replaces the editor's: the window loads it with a fresh undo history.
    void SetLoader(std::function<void(const QString &text)> load) { m_load = std::move(load); }

    QString CurrentFileName() const { return m_currentFileName; }

    void New();                 // MenuNouClick
    void NewHtml();             // MenuNouHTMLClick
    void Open();                // MenuObrirClick
    bool Save();                // MenuGuardarClick; true when the document was written
    bool SaveAs();              // MenuGuardarComClick
    void DropFile(const QString &fileName);
    // The command-line file: loaded at start; an unreadable one leaves an empty document.
    bool LoadCommandLineFile(const QString &fileName);
    // The close question: true when the window may close.
    bool CloseQuery();

    static const char *const kSaveQuestion;
    static QStringList HtmlSkeleton();

private:
    enum class Guard { Go, Cancel };
    // The save question for a modified document. Yes saves; No clears the modified flag.
    Guard AskToSave();
    bool LoadFile(const QString &fileName);
    void StartUnnamed();

    EditorText &m_editor;
    UserQuestions &m_ask;
    std::function<void(const QString &)> m_setCaption;
    std::function<void(const QString &)> m_load;
    QString m_currentFileName;
    DocumentFormat m_format;
    QString m_proposedOpenName;
};
