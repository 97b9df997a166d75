#include "app/find/FindDialogs.h"

#include "app/find/FindCaptions.h"
#include "windows/InterfaceLanguages.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

FindDialog::FindDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FindDialog1"));
    setWindowTitle(QStringLiteral("Buscar"));
    setModal(false);
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    m_findEdit = new QLineEdit(this);
    m_findEdit->setObjectName(QStringLiteral("EditBuscar"));
    auto *findLabel = new QLabel(QStringLiteral("&Buscar:"), this);
    findLabel->setObjectName(QStringLiteral("LabelBuscar"));
    findLabel->setBuddy(m_findEdit);
    m_findEdit->setAccessibleName(QStringLiteral("Text a buscar"));
    form->addRow(findLabel, m_findEdit);
    layout->addLayout(form);
    m_matchCase = new QCheckBox(QStringLiteral("Distingir &majúscules i minúscules"), this);
    m_wholeWord = new QCheckBox(QStringLiteral("Només paraules s&enceres"), this);
    m_matchCase->setObjectName(QStringLiteral("CheckBoxMajuscules"));
    m_wholeWord->setObjectName(QStringLiteral("CheckBoxParaulesSenceres"));
    layout->addWidget(m_matchCase);
    layout->addWidget(m_wholeWord);
    auto *buttons = new QDialogButtonBox(this);
    m_findButton = buttons->addButton(QStringLiteral("Buscar el següe&nt"), QDialogButtonBox::ActionRole);
    m_findButton->setObjectName(QStringLiteral("ButtonBuscarSeguent"));
    m_findButton->setDefault(true);
    buttons->addButton(QStringLiteral("&Tancar"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("ButtonTancar"));
    layout->addWidget(buttons);
    connect(m_findButton, &QPushButton::clicked, this, &FindDialog::findNext);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
}

void FindDialog::Relabel()
{
    const QVariant language = parentWidget() ? parentWidget()->property(kInterfaceLanguageProperty) : QVariant();
    ApplyFindCaptions(this, language.isValid() ? language.toInt() : 0);
}

void FindDialog::showEvent(QShowEvent *event)
{
    Relabel();
    QDialog::showEvent(event);
}

void FindDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        Relabel();
    QDialog::changeEvent(event);
}

QString FindDialog::FindText() const
{
    return m_findEdit->text();
}

void FindDialog::SetFindText(const QString &text)
{
    m_findEdit->setText(text);
    m_findEdit->selectAll();
}

void FindDialog::Present()
{
    // Typing goes to the find field, over its text, whichever control had the focus last.
    m_findEdit->setFocus(Qt::OtherFocusReason);
    m_findEdit->selectAll();
    show();
    raise();
    activateWindow();
}

SearchOptions FindDialog::Options() const
{
    return SearchOptions{m_matchCase->isChecked(), m_wholeWord->isChecked()};
}

ReplaceDialog::ReplaceDialog(QWidget *parent)
    : FindDialog(parent)
{
    setObjectName(QStringLiteral("ReplaceDialog1"));
    setWindowTitle(QStringLiteral("Substituir"));
    auto *layout = static_cast<QVBoxLayout *>(this->layout());
    auto *form = static_cast<QFormLayout *>(layout->itemAt(0)->layout());
    m_replaceEdit = new QLineEdit(this);
    m_replaceEdit->setObjectName(QStringLiteral("EditSubstituirPer"));
    m_replaceEdit->setAccessibleName(QStringLiteral("Text nou"));
    auto *replaceLabel = new QLabel(QStringLiteral("Substituir &per:"), this);
    replaceLabel->setObjectName(QStringLiteral("LabelSubstituirPer"));
    replaceLabel->setBuddy(m_replaceEdit);
    form->addRow(replaceLabel, m_replaceEdit);
    auto *buttons = findChild<QDialogButtonBox *>();
    auto *replaceButton = buttons->addButton(QStringLiteral("&Substituir"), QDialogButtonBox::ActionRole);
    auto *replaceAllButton = buttons->addButton(QStringLiteral("Substituir-ho t&ot"), QDialogButtonBox::ActionRole);
    replaceButton->setObjectName(QStringLiteral("ButtonSubstituir"));
    replaceAllButton->setObjectName(QStringLiteral("ButtonSubstituirTot"));
    connect(replaceButton, &QPushButton::clicked, this, &ReplaceDialog::replace);
    connect(replaceAllButton, &QPushButton::clicked, this, &ReplaceDialog::replaceAll);
}

QString ReplaceDialog::ReplaceText() const
{
    return m_replaceEdit->text();
}

void ReplaceDialog::SetReplaceText(const QString &text)
{
    m_replaceEdit->setText(text);
}
