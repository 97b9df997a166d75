#include "app/DocumentCommands.h"

#include "core/EditorText.h"
#include "core/UserQuestions.h"

#include <QFileInfo>

const char *const DocumentCommands::kSaveQuestion = "Fitxer modificat. vol guardar-lo?";

DocumentCommands::DocumentCommands(EditorText &editor, UserQuestions &ask,
                                   std::function<void(const QString &)> setCaption)
    : m_editor(editor)
    , m_ask(ask)
    , m_setCaption(std::move(setCaption))
    , m_load([this](const QString &text) { m_editor.SetText(text); })
{
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
    m_currentFileName.clear();
    m_suggestedName.clear();
    m_format = DocumentFormat();
    m_setCaption(QString());
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
    while (m_editor.Modified())
        if (AskToSave() == Guard::Cancel)
            return;
    const QString fileName = m_ask.AskOpenFileName(m_proposedOpenName);
    if (fileName.isEmpty())
        return;
    LoadFile(fileName);
}

void DocumentCommands::OpenAsText()
{
    while (m_editor.Modified())
        if (AskToSave() == Guard::Cancel)
            return;
    const QString fileName = m_ask.AskOpenFileName(m_proposedOpenName);
    if (fileName.isEmpty())
        return;
    LoadFile(fileName, true);
}

bool DocumentCommands::LoadConverted(const DocumentConversionResult &converted)
{
    if (converted.cancelled)
        return false;
    if (!converted.ok) {
        m_ask.Message(converted.error);
        return false;
    }
    m_load(converted.text);
    m_format = DocumentFormat();
    m_editor.SetModified(false);
    m_currentFileName.clear();
    m_suggestedName = converted.suggestedName;
    m_setCaption(converted.origin);
    return true;
}

bool DocumentCommands::LoadFile(const QString &fileName, bool asText)
{
    if (!asText && m_convert)
        if (const std::optional<DocumentConversionResult> converted = m_convert(fileName))
            return LoadConverted(*converted);
    const LoadedDocument document = LoadDocument(fileName);
    if (!document.ok) {
        m_ask.Message(document.error);
        return false;
    }
    m_load(document.text);
    m_format = document.format;
    m_editor.SetModified(false);
    m_currentFileName = fileName;
    m_suggestedName.clear();
    m_setCaption(QFileInfo(fileName).fileName());
    return true;
}

bool DocumentCommands::Save()
{
    if (m_currentFileName.isEmpty())
        return SaveAs();
    const bool wasUtf8 = m_format.utf8;
    const SaveOutcome outcome = SaveDocument(m_currentFileName, m_editor.Text(), m_format);
    if (!outcome.ok) {
        m_ask.Message(outcome.error);
        return false;
    }
    if (outcome.switchedToUtf8 && !wasUtf8)
        m_ask.Message(QStringLiteral(
            "El document conté caràcters que la codificació Windows-1252 no pot desar; "
            "s'ha desat en UTF-8 perquè no es perdi cap caràcter."));
    m_editor.SetModified(false);
    return true;
}

bool DocumentCommands::SaveAs()
{
    const QString fileName = m_ask.AskSaveFileName(m_currentFileName.isEmpty() ? m_suggestedName : m_currentFileName);
    if (fileName.isEmpty())
        return false;
    m_currentFileName = fileName;
    m_setCaption(QFileInfo(fileName).fileName());
    return Save();
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
        if (const std::optional<DocumentConversionResult> converted = m_convert(fileName)) {
            if (!LoadConverted(*converted))
                m_editor.SetModified(false);
            return converted->ok;
        }
    m_currentFileName = fileName;
    m_setCaption(QFileInfo(fileName).fileName());
    const LoadedDocument document = LoadDocument(fileName);
    if (!document.ok) {
        m_ask.Message(document.error);
        m_editor.SetModified(false);
        return false;
    }
    m_load(document.text);
    m_format = document.format;
    m_editor.SetModified(false);
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
