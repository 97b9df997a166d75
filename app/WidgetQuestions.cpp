#include "app/WidgetQuestions.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

WidgetQuestions::WidgetQuestions(QWidget *parent)
    : m_parent(parent)
{
}

QString WidgetQuestions::DocumentFilter()
{
    return QStringLiteral("Fitxers de text (*.txt);;Fitxers HTML (*.htm *.html);;Tot tipus de fitxers (*)");
}

QString WidgetQuestions::OpenFilter()
{
    return QStringLiteral("Tots els documents (*.txt *.htm *.html *.pdf *.docx *.odt *.epub *.rtf);;"
                          "Fitxers de text (*.txt);;Fitxers HTML (*.htm *.html);;Documents PDF (*.pdf);;"
                          "Documents de Word (*.docx);;Documents OpenDocument (*.odt);;Llibres EPUB (*.epub);;"
                          "Documents RTF (*.rtf);;Tot tipus de fitxers (*)");
}

void WidgetQuestions::Message(const QString &text)
{
    // Owned by the window of ours in use (the find dialog after "No encuentro"), which
    // gets the focus back when the message closes. Its text is said once: no description
    // repeats it.
    QWidget *owner = m_parent;
    if (QWidget *active = QApplication::activeWindow(); active && m_parent
        && (active == m_parent->window() || (active->parentWidget() && active->parentWidget()->window() == m_parent->window())))
        owner = active;
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text, QMessageBox::Ok, owner);
    box.exec();
}

SaveAnswer WidgetQuestions::AskYesNoCancel(const QString &text)
{
    const auto answer = QMessageBox::question(m_parent, QApplication::applicationDisplayName(), text,
                                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                              QMessageBox::Yes);
    if (answer == QMessageBox::Yes)
        return SaveAnswer::Yes;
    if (answer == QMessageBox::No)
        return SaveAnswer::No;
    return SaveAnswer::Cancel;
}

std::optional<QString> WidgetQuestions::AskText(const QString &title, const QString &prompt,
                                                const QString &initial)
{
    bool ok = false;
    const QString text = QInputDialog::getText(m_parent, title, prompt, QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

QString WidgetQuestions::AskOpenFileName(const QString &proposed, const QString &title, const QString &filter)
{
    return QFileDialog::getOpenFileName(m_parent, title.isEmpty() ? QStringLiteral("Obrir") : title,
                                        proposed, filter.isEmpty() ? OpenFilter() : filter);
}

QString WidgetQuestions::AskSaveFileName(const QString &proposed)
{
    QFileDialog dialog(m_parent, QStringLiteral("Guardar com"), proposed, DocumentFilter());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (!proposed.isEmpty())
        dialog.selectFile(proposed);
    while (dialog.exec() == QDialog::Accepted) {
        const QString fileName = dialog.selectedFiles().value(0);
        const QFileInfo info(fileName);
        if (info.exists() && !info.isWritable()) {
            QMessageBox::warning(m_parent, dialog.windowTitle(),
                                 QStringLiteral("%1 és només de lectura.").arg(info.fileName()));
            continue;
        }
        return fileName;
    }
    return QString();
}
