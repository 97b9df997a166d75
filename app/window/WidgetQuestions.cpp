#include "app/window/WidgetQuestions.h"

#include "core/SettingsStore.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QStandardPaths>

namespace {

const QString kFoldersSection = QStringLiteral("Fitxers");
const QString kLastFolderKey = QStringLiteral("DARRERA CARPETA");

} // namespace

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
    return QStringLiteral("Tots els documents (*.txt *.htm *.html *.pdf *.docx *.odt *.epub *.rtf *.png *.jpg *.jpeg "
                          "*.tif *.tiff *.webp *.bmp *.pnm *.pbm *.pgm *.ppm);;"
                          "Fitxers de text (*.txt);;Fitxers HTML (*.htm *.html);;Documents PDF (*.pdf);;"
                          "Documents de Word (*.docx);;Documents OpenDocument (*.odt);;Llibres EPUB (*.epub);;"
                          "Documents RTF (*.rtf);;"
                          "Imatges (*.png *.jpg *.jpeg *.tif *.tiff *.webp *.bmp *.pnm *.pbm *.pgm *.ppm);;"
                          "Tot tipus de fitxers (*)");
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

std::optional<QString> WidgetQuestions::AskPassword(const QString &title, const QString &prompt)
{
    // A screen reader announces the field as a password field and never says what is typed.
    QInputDialog dialog(m_parent);
    dialog.setObjectName(QStringLiteral("PasswordQuery"));
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextEchoMode(QLineEdit::Password);
    dialog.setAccessibleName(title);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

QString WidgetQuestions::StartPlace(const QString &proposed) const
{
    if (!proposed.isEmpty() && QFileInfo(proposed).isAbsolute())
        return proposed;
    QString folder = m_folders ? m_folders->ReadLongString(kFoldersSection, kLastFolderKey, QString()) : QString();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    return proposed.isEmpty() ? folder : QDir(folder).filePath(proposed);
}

void WidgetQuestions::Remember(const QString &chosen)
{
    // A folder whose name the settings file cannot hold (a line break) is not kept.
    if (m_folders && !chosen.isEmpty())
        m_folders->WriteString(kFoldersSection, kLastFolderKey, QFileInfo(chosen).absolutePath());
}

QString WidgetQuestions::AskOpenFileName(const QString &proposed, const QString &title, const QString &filter)
{
    const QString chosen = QFileDialog::getOpenFileName(m_parent, title.isEmpty() ? QStringLiteral("Obrir") : title,
                                                        StartPlace(proposed), filter.isEmpty() ? OpenFilter() : filter);
    Remember(chosen);
    return chosen;
}

QString WidgetQuestions::AskSaveFileName(const QString &proposed)
{
    const QString start = StartPlace(proposed);
    QFileDialog dialog(m_parent, QStringLiteral("Guardar com"), start, DocumentFilter());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (!proposed.isEmpty())
        dialog.selectFile(start);
    while (dialog.exec() == QDialog::Accepted) {
        const QString fileName = dialog.selectedFiles().value(0);
        const QFileInfo info(fileName);
        if (info.exists() && !info.isWritable()) {
            QMessageBox::warning(m_parent, dialog.windowTitle(),
                                 QStringLiteral("%1 és només de lectura.").arg(info.fileName()));
            continue;
        }
        Remember(fileName);
        return fileName;
    }
    return QString();
}
