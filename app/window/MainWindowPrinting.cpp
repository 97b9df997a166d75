// Printing from the main window: the print and page set-up dialogs share one printer.
#include "app/window/MainWindow.h"

#include "app/documents/DocumentPrinting.h"
#include "app/window/EditorWidget.h"

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

QPrinter *FormPrincipal::Printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return m_printer.get();
}

void FormPrincipal::PrintTo(QPrinter *printer)
{
    // Each line of the editor is one printed line, in the font as the screen shows it.
    PrintDocumentText(m_document.Text(), m_edit->font(), m_edit->logicalDpiY(), printer);
}

void FormPrincipal::MenuImprimirClick()
{
    QPrintDialog dialog(Printer(), this);
    if (dialog.exec() == QDialog::Accepted)
        PrintTo(m_printer.get());
}

void FormPrincipal::MenuConfigurarimpressoraClick()
{
    QPageSetupDialog dialog(Printer(), this);
    dialog.exec();
}
