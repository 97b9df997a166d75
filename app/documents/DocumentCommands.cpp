#include "app/documents/DocumentCommands.h"
#include "app/documents/DocumentMessages.h"

#include "core/EditorText.h"
#include "core/UserQuestions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <iterator>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

const char *const DocumentCommands::kSaveQuestion = "Fitxer modificat. vol guardar-lo?";

QString DocumentCommands::ChangedOnDiskQuestion(int language, const QString &fileName)
{
    static const char *const questions[] = {
        "El fitxer %1 ha canviat al disc des que es va obrir: l'ha modificat un altre programa. "
        "Voleu escriure-hi a sobre? Sí: el substitueix pel vostre text. "
        "No: conserva l'altra versió i desa el vostre text amb un altre nom.",
        "El archivo %1 ha cambiado en el disco desde que se abrió: lo ha modificado otro programa. "
        "¿Quiere sobrescribirlo? Sí: lo sustituye por su texto. "
        "No: conserva la otra versión y guarda su texto con otro nombre.",
        "%1 fitxategia diskoan aldatu da ireki zenetik: beste programa batek aldatu du. "
        "Gainidatzi nahi duzu? Bai: zure testuarekin ordezkatzen du. "
        "Ez: beste bertsioa gordetzen du eta zure testua beste izen batekin gordetzen du.",
        "O ficheiro %1 cambiou no disco desde que se abriu: modificouno outro programa. "
        "Quere sobrescribilo? Si: substitúeo polo seu texto. "
        "Non: conserva a outra versión e garda o seu texto con outro nome.",
        "O ficheiro %1 foi alterado no disco desde que foi aberto: outro programa modificou-o. "
        "Quer substituí-lo? Sim: substitui-o pelo seu texto. "
        "Não: mantém a outra versão e guarda o seu texto com outro nome.",
        "The file %1 has changed on disk since it was opened: another program modified it. "
        "Overwrite it? Yes: replaces it with your text. "
        "No: keeps the other version and saves your text under another name.",
        "Le fichier %1 a été modifié sur le disque depuis son ouverture par un autre programme. "
        "Voulez-vous l'écraser ? Oui : le remplace par votre texte. "
        "Non : garde l'autre version et enregistre votre texte sous un autre nom.",
    };
    const int row = language >= 0 && language < int(std::size(questions)) ? language : 0;
    return QString::fromUtf8(questions[row]).arg(fileName);
}

QString DocumentCommands::LineTooLongMessage(const QString &fileName, const QString &text, int language)
{
    qsizetype longest = 0;
    qsizetype longestLine = 0;
    qsizetype line = 0;
    for (qsizetype start = 0; start <= text.size(); ++line) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = text.size();
        qsizetype length = end - start;
        if (length > 0 && text.at(end - 1) == QLatin1Char('\r'))
            --length;
        if (length > longest) {
            longest = length;
            longestLine = line;
        }
        start = end + 1;
    }
    if (longest <= kLongestLine)
        return QString();
    return DocumentMessages::LineTooLong(language, fileName, longestLine + 1, longest, kLongestLine);
}

DocumentCommands::DocumentCommands(EditorText &editor, UserQuestions &ask,
                                   std::function<void(const QString &)> setCaption)
    : m_editor(editor)
    , m_ask(ask)
    , m_setCaption(std::move(setCaption))
    , m_load([this](const QString &text) { m_editor.SetText(text); })
    , m_grow([this](const QString &, const QString &grown) {
        const int start = m_editor.SelStart(), length = m_editor.SelLength();
        m_editor.SetText(grown);
        m_editor.Select(start, length);
    })
{
}

DocumentCommands::~DocumentCommands()
{
    LeavePages();
}

QStringList DocumentCommands::HtmlSkeleton()
{
    return {
        QStringLiteral("<HTML>"),
        QStringLiteral("<HEAD>"),
        QStringLiteral("\t<TITLE></TITLE>"),
        QStringLiteral("</HEAD>"),
        QStringLiteral("<BODY>"),
        QStringLiteral("<CENTER>"),
        QStringLiteral("<TABLE BORDER=0 WIDTH=\"800\">"),
        QStringLiteral("<TR>"),
        QStringLiteral("<TD WIDTH=\"800\">"),
        QStringLiteral("<font face=\"Comic Sans MS\">"),
        QString(),
        QStringLiteral("<IMG SRC=\".png\">"),
        QStringLiteral("</font>"),
        QStringLiteral("</TD>"),
        QStringLiteral("</TR>"),
        QStringLiteral("</TABLE>"),
        QStringLiteral("</CENTER>"),
        QStringLiteral("</BODY>"),
        QStringLiteral("</HTML>"),
    };
}

DocumentCommands::Guard DocumentCommands::AskToSave()
{
    switch (m_ask.AskYesNoCancel(QString::fromUtf8(kSaveQuestion))) {
    case SaveAnswer::Yes:
        Save();
        return Guard::Go;
    case SaveAnswer::No:
        m_editor.SetModified(false);
        return Guard::Go;
    case SaveAnswer::Cancel:
        break;
    }
    return Guard::Cancel;
}

void DocumentCommands::New()
{
    // After Yes or No the command starts again: a save that did not happen asks again.
    while (m_editor.Modified())
        if (AskToSave() == Guard::Cancel)
            return;
    m_editor.SetText(QString());
    m_editor.SetModified(false);
    StartUnnamed();
}

// A new document has no file yet: the next save asks for a name instead of writing
// the new text over the file that was open before.
void DocumentCommands::StartUnnamed()
{
    LeavePages();
    m_currentFileName.clear();
    m_stamp.reset();
    m_suggestedName.clear();
    m_format = DocumentFormat();
    SetReadOnly(false);
    m_setCaption(QString());
    if (m_status)
        m_status(QString());
}

void DocumentCommands::SetReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    if (m_readOnlyView)
        m_readOnlyView(readOnly);
}

void DocumentCommands::NewHtml()
{
    if (m_editor.Modified()) {
        if (AskToSave() == Guard::Cancel)
            return;
        New();
        return;
    }
    // One edit, so that one undo takes the whole skeleton back; its empty line stays
    // also after a last line without a break.
    QString text = m_editor.Text();
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
        text += QLatin1Char('\n');
    text += HtmlSkeleton().join(QLatin1Char('\n')) + QLatin1Char('\n');
    m_editor.SetText(text);
    m_editor.SetModified(false);
    StartUnnamed();
}

void DocumentCommands::Open()
{
    OpenChosen(false);
}

void DocumentCommands::OpenAsText()
{
    OpenChosen(true);
}

void DocumentCommands::OpenChosen(bool asText)
{
    while (m_editor.Modified())
        if (AskToSave() == Guard::Cancel)
            return;
    // The dialog starts beside the document in the window, when it has a file.
    QString proposed = m_proposedOpenName;
    if (proposed.isEmpty() && !m_currentFileName.isEmpty())
        proposed = QFileInfo(m_currentFileName).absolutePath();
    const QString fileName = m_ask.AskOpenFileName(proposed);
    if (fileName.isEmpty())
        return;
    LoadFile(fileName, asText);
}

std::optional<DocumentConversionResult> DocumentCommands::Convert(const QString &fileName)
{
    QByteArray password;
    for (;;) {
        std::optional<DocumentConversionResult> converted = m_convert(fileName, password);
        if (!converted || !converted->needsPassword)
            return converted;
        // Asked again after a wrong one, until it opens or the user gives up (Esc).
        const std::optional<QString> answer = m_ask.AskPassword(
            DocumentMessages::PasswordTitle(m_language()),
            DocumentMessages::PasswordPrompt(m_language(), QFileInfo(fileName).fileName(), converted->wrongPassword));
        if (!answer) {
            converted->cancelled = true;
            return converted;
        }
        password = answer->toUtf8();
    }
}

bool DocumentCommands::LoadConverted(const DocumentConversionResult &converted)
{
    if (converted.cancelled)
        return false;
    if (!converted.ok) {
        m_ask.Message(converted.error);
        return false;
    }
    Install(converted.text, QString(), DocumentFormat(), false);
    m_stamp.reset();
    m_suggestedName = converted.suggestedName;
    m_setCaption(converted.origin);
    if (converted.rest)
        FollowPages(converted.rest, converted.text);
    return true;
}

void DocumentCommands::Install(const QString &text, const QString &fileName, const DocumentFormat &format,
                               bool readOnly)
{
    LeavePages();
    m_load(text);
    m_format = format;
    SetReadOnly(readOnly);
    m_editor.SetModified(false);
    m_currentFileName = fileName;
    m_suggestedName.clear();
}

void DocumentCommands::FollowPages(const std::shared_ptr<PagesStillComing> &rest, const QString &shown)
{
    m_coming = rest;
    m_shown = shown;
    const PagesStillComing *coming = rest.get();
    rest->Follow(
        [this, coming](const QString &text, int) {
            if (m_coming.get() != coming)
                return;
            // The pages are the document's own, not a change of the reader's.
            const bool modified = m_editor.Modified();
            m_grow(m_shown, text);
            m_editor.SetModified(modified);
            m_shown = text;
        },
        [this, coming](const QString &said) {
            if (m_coming.get() == coming && m_status)
                m_status(said);
        },
        [this, coming](const DocumentConversionResult &result) {
            if (m_coming.get() == coming)
                PagesDone(result);
        });
}

void DocumentCommands::PagesDone(const DocumentConversionResult &result)
{
    m_coming.reset();
    m_shown.clear();
    // The pages shown stay, whatever ended the rest.
    if (!result.ok && !result.cancelled) {
        if (m_status)
            m_status(QString());
        m_ask.Message(result.error);
        return;
    }
    if (!result.cancelled)
        m_setCaption(result.origin);
    if (!m_status)
        return;
    if (result.cancelled || result.status.isEmpty())
        m_status(result.cancelled ? result.status : result.origin);
    else
        m_status(result.origin + QStringLiteral(", ") + result.status);
}

void DocumentCommands::StopPagesComing()
{
    if (m_coming)
        m_coming->Cancel();
}

void DocumentCommands::LeavePages()
{
    const std::shared_ptr<PagesStillComing> coming = std::move(m_coming);
    m_coming.reset();
    m_shown.clear();
    if (coming)
        coming->Stop();
}

bool DocumentCommands::LoadFile(const QString &fileName, bool asText)
{
    if (!asText && m_convert)
        if (const std::optional<DocumentConversionResult> converted = Convert(fileName))
            return LoadConverted(*converted);
    // Taken before reading: a change while it is read is a change since.
    const WholeFiles::FileStamp stamp = WholeFiles::StampOf(fileName);
    const std::optional<LoadedDocument> document = ReadTextFile(fileName);
    if (!document)
        return false;
    TakeDocument(fileName, *document, stamp);
    return true;
}

std::optional<LoadedDocument> DocumentCommands::ReadTextFile(const QString &fileName)
{
    LoadedDocument document = LoadDocument(fileName);
    if (document.ok)
        document.error = LineTooLongMessage(fileName, document.text, m_language());
    if (!document.ok || !document.error.isEmpty()) {
        m_ask.Message(document.ok ? document.error : WhyNotRead(fileName, document.error));
        return std::nullopt;
    }
    if (document.binary
        && m_ask.AskYesNoCancel(DocumentMessages::NotTextQuestion(m_language(), QFileInfo(fileName).fileName()))
            != SaveAnswer::Yes)
        return std::nullopt;
    return document;
}

void DocumentCommands::TakeDocument(const QString &fileName, const LoadedDocument &document,
                                    const WholeFiles::FileStamp &stamp)
{
    Install(document.text, fileName, document.format, document.binary);
    m_stamp = stamp;
    m_setCaption(QFileInfo(fileName).fileName());
    // What the status line said was about the document before.
    if (m_status) {
        const QString shown = QFileInfo(fileName).fileName();
        if (document.binary)
            m_status(DocumentMessages::ReadOnlyStatus(m_language(), shown));
        else if (document.strayBytes > 0)
            m_status(DocumentMessages::StrayBytesStatus(m_language(), shown, document.strayBytes));
        else
            m_status(QString());
    }
    if (m_opened)
        m_opened(fileName);
}

bool DocumentCommands::MayWriteOver(bool *saveAs)
{
    *saveAs = false;
    // A file that is gone holds no other version to keep.
    const WholeFiles::FileStamp now = WholeFiles::StampOf(m_currentFileName);
    if (!m_stamp || now == *m_stamp || !now.exists)
        return true;
    switch (m_ask.AskYesNoCancel(ChangedOnDiskQuestion(m_language(), m_currentFileName))) {
    case SaveAnswer::Yes:
        return true;
    case SaveAnswer::No:
        *saveAs = true;
        return false;
    case SaveAnswer::Cancel:
        break;
    }
    return false;
}

bool DocumentCommands::Save()
{
    // A file that is not text is never written over from the editor.
    if (m_currentFileName.isEmpty() || m_readOnly)
        return SaveAs();
    bool saveAs = false;
    if (!MayWriteOver(&saveAs))
        return saveAs && SaveAs();
    return WriteTo(m_currentFileName);
}

bool DocumentCommands::SaveAs()
{
    QString proposed = m_currentFileName.isEmpty() ? m_suggestedName : QFileInfo(m_currentFileName).absoluteFilePath();
    if (m_readOnly)
        proposed = QFileInfo(proposed).absoluteDir().filePath(QFileInfo(proposed).completeBaseName() + QStringLiteral(".txt"));
    const QString fileName = m_ask.AskSaveFileName(proposed);
    if (fileName.isEmpty())
        return false;
    return WriteTo(fileName);
}

bool DocumentCommands::WriteTo(const QString &fileName)
{
    DocumentFormat format = m_format;
    const SaveOutcome outcome = SaveDocument(fileName, m_editor.Text(), format);
    if (!outcome.ok) {
        // The document keeps its name and caption: the file named in the dialog does not exist.
        const QString question = DocumentMessages::SaveFailedQuestion(m_language(), QFileInfo(fileName).fileName(),
                                                                      WhyNotWritten(fileName, outcome.error));
        return m_ask.AskYesNoCancel(question) == SaveAnswer::Yes && SaveAs();
    }
    m_format = format;
    if (fileName != m_currentFileName || m_readOnly) {
        m_currentFileName = fileName;
        m_suggestedName.clear();
        SetReadOnly(false);
        m_setCaption(QFileInfo(fileName).fileName());
    }
    m_stamp = WholeFiles::StampOf(fileName);
    if (outcome.switchedToUtf8)
        m_ask.Message(DocumentMessages::SwitchedToUtf8(m_language()));
    m_editor.SetModified(false);
    return true;
}

QString DocumentCommands::WhyNotRead(const QString &fileName, const QString &error) const
{
    using DocumentMessages::ReadProblem;
    struct stat info {};
    if (::stat(QFile::encodeName(fileName).constData(), &info) != 0)
        return error;
    const int language = m_language();
    if (S_ISDIR(info.st_mode))
        return DocumentMessages::ReadRefusal(language, fileName, ReadProblem::Folder);
    if (S_ISFIFO(info.st_mode))
        return DocumentMessages::ReadRefusal(language, fileName, ReadProblem::Fifo);
    if (S_ISSOCK(info.st_mode))
        return DocumentMessages::ReadRefusal(language, fileName, ReadProblem::Socket);
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        return DocumentMessages::ReadRefusal(language, fileName, ReadProblem::Device);
    if (!S_ISREG(info.st_mode))
        return DocumentMessages::ReadRefusal(language, fileName, ReadProblem::NotRegular);
    if (info.st_size > WholeFiles::kLargestFile)
        return DocumentMessages::ReadRefusal(language, fileName, ReadProblem::TooLarge, WholeFiles::kLargestFile >> 20);
    return error;
}

// What the file system says about the folder once a write failed; the file layer's own
// words when none of it explains the failure.
QString DocumentCommands::WhyNotWritten(const QString &fileName, const QString &error) const
{
    using DocumentMessages::WriteProblem;
    const int language = m_language();
    const QString folder = QFileInfo(fileName).absolutePath();
    const QByteArray encoded = QFile::encodeName(folder);
    struct statvfs disk {};
    if (!QFileInfo(folder).isDir())
        return DocumentMessages::WriteReason(language, WriteProblem::FolderMissing, folder);
    if (::statvfs(encoded.constData(), &disk) == 0 && (disk.f_flag & ST_RDONLY))
        return DocumentMessages::WriteReason(language, WriteProblem::ReadOnlyDisk, folder);
    if (::access(encoded.constData(), W_OK) != 0)
        return DocumentMessages::WriteReason(language, WriteProblem::FolderNotWritable, folder);
    const qint64 needed = m_editor.Text().toUtf8().size() + (m_format.crlf ? m_editor.LineCount() : 0);
    const qint64 free = qint64(disk.f_bavail) * qint64(disk.f_frsize);
    if (free < needed)
        return DocumentMessages::WriteReason(language, WriteProblem::DiskFull, folder, needed, free);
    QString detail = error;
    if (detail.startsWith(fileName + QLatin1String(": ")))
        detail.remove(0, fileName.size() + 2);
    return DocumentMessages::WriteReason(language, WriteProblem::Other, detail);
}

void DocumentCommands::DropFile(const QString &fileName)
{
    if (fileName.isEmpty())
        return;
    if (m_editor.Modified()) {
        if (AskToSave() == Guard::Cancel)
            return;
        // A save that did not happen keeps the text: the drop is given up rather than lose it.
        if (m_editor.Modified())
            return;
    }
    m_proposedOpenName = fileName;
    LoadFile(fileName);
}

bool DocumentCommands::LoadCommandLineFile(const QString &fileName)
{
    if (fileName.isEmpty())
        return false;
    // A document of another kind is converted; a failed conversion leaves no name, so
    // that a later save cannot write text over the original.
    if (m_convert)
        if (const std::optional<DocumentConversionResult> converted = Convert(fileName)) {
            if (!LoadConverted(*converted))
                m_editor.SetModified(false);
            return converted->ok;
        }
    const WholeFiles::FileStamp stamp = WholeFiles::StampOf(fileName);
    const std::optional<LoadedDocument> document = ReadTextFile(fileName);
    if (!document) {
        m_editor.SetModified(false);
        // A name that is no file yet is the new document's name; a file that exists but
        // was refused (too big, a device, unreadable, not text) must never be saved over.
        const QFileInfo info(fileName);
        if (!info.exists() && !info.isSymLink()) {
            m_currentFileName = fileName;
            // A file another program makes there meanwhile is asked about too.
            m_stamp = stamp;
            m_setCaption(info.fileName());
        } else {
            StartUnnamed();
        }
        return false;
    }
    TakeDocument(fileName, *document, stamp);
    return true;
}

bool DocumentCommands::CloseQuery()
{
    if (!m_editor.Modified())
        return true;
    if (AskToSave() == Guard::Cancel)
        return false;
    // Yes with a save that did not happen: the window stays open rather than lose the text.
    return !m_editor.Modified();
}
