#pragma once

#include "core/DocumentFile.h"
#include "core/WholeFiles.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class EditorText;
class UserQuestions;
class PagesStillComing;

// A document that is opened as its text (a PDF, an office document, an e-book...).
struct DocumentConversionResult
{
    bool ok = false;
    bool cancelled = false;  // the user stopped it: nothing changes
    QString text;
    QString origin;          // what the caption names: "fitxa.pdf, 3 pàgines"
    QString error;           // names the file and the reason
    QString suggestedName;   // the name "Guardar" proposes: fitxa.txt beside fitxa.pdf
    // Locked by a password: none was given, or the one given does not open it.
    bool needsPassword = false;
    bool wrongPassword = false;
    // What the status line adds after origin (how sure the recogniser was); may be empty.
    QString status;
    // A document of pages that opened with its first ones: text is what they settle,
    // and the rest come through this.
    std::shared_ptr<PagesStillComing> rest;
};

// The pages of a document still read after it opened, told on the window's thread.
class PagesStillComing
{
public:
    virtual ~PagesStillComing() = default;
    // grown: the text the document grows into (the text before it grows at its end, save
    // for running headers found to go); said: the status line; done: the whole conversion
    // at the end, cancelled when the user stopped it.
    virtual void Follow(std::function<void(const QString &text, int pages)> grown,
                        std::function<void(const QString &text)> said,
                        std::function<void(const DocumentConversionResult &result)> done)
        = 0;
    // The user stops the pages: those shown stay, and done tells it.
    virtual void Cancel() = 0;
    // The document is left: nothing more is told.
    virtual void Stop() = 0;
};
// Nothing for a plain-text file, which is loaded as it is. The password opens a locked
// document; it is empty at first.
using DocumentConverter = std::function<std::optional<DocumentConversionResult>(const QString &fileName,
                                                                                const QByteArray &password)>;

// The document commands of the "&Fitxer" menu and the dropped and command-line
// files: new, new HTML, open, save, save as, and the close question.
class DocumentCommands
{
public:
    // setCaption receives the file name part of the caption rule; empty for a new document.
    DocumentCommands(EditorText &editor, UserQuestions &ask,
                     std::function<void(const QString &fileName)> setCaption);
    ~DocumentCommands();

    // How a document text replaces the editor's: the window loads it with a fresh undo history.
    void SetLoader(std::function<void(const QString &text)> load) { m_load = std::move(load); }

    // How the window grows a document whose later pages come after it opened, from the
    // text shown to the grown one, without undo steps of its own.
    void SetGrower(std::function<void(const QString &shown, const QString &grown)> grow) { m_grow = std::move(grow); }
    // Whether pages of the open document are still being read.
    bool PagesComing() const { return m_coming != nullptr; }
    // Stops reading them; those shown stay.
    void StopPagesComing();

    // The interface language (0 to 6, as the language list orders them) that the
    // questions below are asked in; Catalan until it is set.
    void SetLanguage(std::function<int()> language) { m_language = std::move(language); }
    // How a document that is not plain text is turned into text; without one every
    // file is loaded as text.
    void SetConverter(DocumentConverter convert) { m_convert = std::move(convert); }
    // Told each time a file is read into the editor under its own name, the same file again too.
    void SetOpened(std::function<void(const QString &fileName)> opened) { m_opened = std::move(opened); }
    // The status line: what a newly opened document needs said, or empty.
    void SetStatus(std::function<void(const QString &text)> status) { m_status = std::move(status); }
    // Whether the editor takes typing: not while a file that is not text is open.
    void SetReadOnlyView(std::function<void(bool readOnly)> readOnly) { m_readOnlyView = std::move(readOnly); }
    // A file that is not text, opened all the same: never written over, only saved as a copy.
    bool ReadOnly() const { return m_readOnly; }

    QString CurrentFileName() const { return m_currentFileName; }
    // The name "Guardar" proposes for a converted document (fitxa.txt beside fitxa.pdf);
    // empty otherwise.
    QString SuggestedName() const { return m_suggestedName; }

    void New();                 // MenuNouClick
    void NewHtml();             // MenuNouHTMLClick
    void Open();                // MenuObrirClick
    // "Obrir com a text": any file loaded as its characters, a web page as its markup.
    void OpenAsText();
    bool Save();                // MenuGuardarClick; true when the document was written
    bool SaveAs();              // MenuGuardarComClick
    void DropFile(const QString &fileName);
    // The command-line file: loaded at start; an unreadable one leaves an empty document.
    bool LoadCommandLineFile(const QString &fileName);
    // The close question: true when the window may close.
    bool CloseQuery();

    static const char *const kSaveQuestion;
    static QStringList HtmlSkeleton();
    // The question asked before a save over a file another program changed since it was
    // opened or saved: Yes writes over it, No saves under another name.
    static QString ChangedOnDiskQuestion(int language, const QString &fileName);
    // The longest line the editor opens: longer ones are laid out whole on every key,
    // which stops the window for seconds to minutes.
    static constexpr qsizetype kLongestLine = 200000;
    // The message refusing a document with a longer line, naming the longest; empty when
    // every line is short enough.
    static QString LineTooLongMessage(const QString &fileName, const QString &text, int language = 0);

private:
    enum class Guard { Go, Cancel };
    // The save question for a modified document. Yes saves; No clears the modified flag.
    Guard AskToSave();
    // Open and "Obrir com a text": the save question, then the open dialog.
    void OpenChosen(bool asText);
    bool LoadFile(const QString &fileName, bool asText = false);
    // Reads a plain-text file, asking first when it does not look like text; nothing
    // when it is refused or the user keeps it closed.
    std::optional<LoadedDocument> ReadTextFile(const QString &fileName);
    // Puts a read document in the editor under its own name.
    void TakeDocument(const QString &fileName, const LoadedDocument &document, const WholeFiles::FileStamp &stamp);
    void SetReadOnly(bool readOnly);
    // Writes the text to fileName, which the document is then named after; a failure
    // says why and offers another name.
    bool WriteTo(const QString &fileName);
    QString WhyNotWritten(const QString &fileName, const QString &error) const;
    // The refusal of a name that cannot be read as a document, in the interface language
    // where the file system tells why; the file layer's own words otherwise.
    QString WhyNotRead(const QString &fileName, const QString &error) const;
    // Converts a document that is not plain text, asking for its password while it is
    // locked; nothing for a plain-text file.
    std::optional<DocumentConversionResult> Convert(const QString &fileName);
    // A converted document comes in unnamed, so that no save ever writes over the original.
    bool LoadConverted(const DocumentConversionResult &converted);
    // Puts a document's text in the editor, unmodified, named fileName (empty: unnamed).
    void Install(const QString &text, const QString &fileName, const DocumentFormat &format, bool readOnly);
    // The pages of a converted document that come after it opened.
    void FollowPages(const std::shared_ptr<PagesStillComing> &rest, const QString &shown);
    void PagesDone(const DocumentConversionResult &result);
    // Leaves the pages still coming of the document being replaced.
    void LeavePages();
    void StartUnnamed();
    // Whether the file may be written: unchanged since it was read or written, or the
    // user says so. *saveAs is set when the user keeps the other version.
    bool MayWriteOver(bool *saveAs);

    EditorText &m_editor;
    UserQuestions &m_ask;
    std::function<void(const QString &)> m_setCaption;
    std::function<void(const QString &)> m_load;
    DocumentConverter m_convert;
    std::function<void(const QString &)> m_opened;
    std::function<void(const QString &)> m_status;
    std::function<void(bool)> m_readOnlyView;
    std::function<void(const QString &, const QString &)> m_grow;
    std::shared_ptr<PagesStillComing> m_coming;
    QString m_shown; // the pages' text as the window was last told it
    bool m_readOnly = false;
    QString m_suggestedName;
    QString m_currentFileName;
    DocumentFormat m_format;
    QString m_proposedOpenName;
    // The file as it was when read or last written; nothing when it is not known.
    std::optional<WholeFiles::FileStamp> m_stamp;
    std::function<int()> m_language = [] { return 0; };
};
