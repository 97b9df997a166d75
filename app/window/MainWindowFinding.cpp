// Finding and replacing from the main window: each dialog is made once, when first asked for.
#include "app/window/MainWindow.h"

#include "app/find/FindDialogs.h"

void FormPrincipal::MenuBuscarClick()
{
    if (!m_findDialog) {
        m_findDialog = new FindDialog(this);
        connect(m_findDialog, &FindDialog::findNext, this,
                [this] { m_finder->Find(m_findDialog->FindText(), m_findDialog->Options()); });
    }
    m_findDialog->SetFindText(m_session.findText);
    m_findDialog->Present();
}

void FormPrincipal::MenuRepetirClick()
{
    if (!m_findDialog) {
        MenuBuscarClick();
        return;
    }
    m_finder->Find(m_findDialog->FindText(), m_findDialog->Options());
}

void FormPrincipal::MenuSubstituirClick()
{
    if (!m_replaceDialog) {
        m_replaceDialog = new ReplaceDialog(this);
        auto replace = [this](bool all) {
            m_document.BeginCommand();
            m_finder->Replace(m_replaceDialog->FindText(), m_replaceDialog->ReplaceText(),
                              m_replaceDialog->Options(), all);
            m_document.EndCommand();
        };
        connect(m_replaceDialog, &ReplaceDialog::findNext, this,
                [this] { m_finder->ReplaceFind(m_replaceDialog->FindText(), m_replaceDialog->Options()); });
        connect(m_replaceDialog, &ReplaceDialog::replace, this, [replace] { replace(false); });
        connect(m_replaceDialog, &ReplaceDialog::replaceAll, this, [replace] { replace(true); });
    }
    m_replaceDialog->SetFindText(m_session.findText);
    m_replaceDialog->SetReplaceText(m_session.replaceText);
    m_replaceDialog->Present();
}
