#include "windows/FormLlenguatge.h"

#include "windows/AccessibleLabels.h"
#include "windows/ChoiceList.h"
#include "windows/FormTTS.h"
#include "windows/InterfaceLanguages.h"
#include "windows/QtTranslations.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kLanguageRowHeight = 36;
}

FormLlenguatge::FormLlenguatge(InterfaceLanguageModel &language, FormTTS &speechWindow, QWidget *parent)
    : QDialog(parent)
    , m_language(language)
    , m_speechWindow(speechWindow)
{
    setObjectName(QStringLiteral("FormLlenguatge"));
    setWindowTitle(QStringLiteral("DRAVIMOLS - Llenguatges"));
    setModal(true);

    m_list = new ChoiceList(this);
    m_list->setObjectName(QStringLiteral("ListBoxLlenguatge"));
    QFont listFont = m_list->font();
    listFont.setPixelSize(26);
    listFont.setWeight(QFont::DemiBold);
    m_list->setFont(listFont);
    m_list->SetEntries(LanguageNames(), kLanguageRowHeight);
    m_list->setAccessibleName(QStringLiteral("Llenguatges"));
    m_list->setMinimumHeight(kLanguageCount * kLanguageRowHeight + 2 * m_list->frameWidth());
    connect(m_list, &ChoiceList::chosen, this, &FormLlenguatge::ListBoxLlenguatgeClick);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("BitBtnTancar"));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_ok, 0, Qt::AlignHCenter);
    setTabOrder(m_list, m_ok);
    resize(300, 340);

    SetLanguageIndex(int(InterfaceLanguage::English));
    m_speechWindow.SetLanguageWindow(this);
    m_speechWindow.FollowLanguage(m_language);
}

int FormLlenguatge::LanguageIndex() const
{
    return m_list->currentRow();
}

void FormLlenguatge::SetLanguageIndex(int index)
{
    const QSignalBlocker blocker(m_list);
    if (index >= 0 && index < m_list->count())
        m_list->setCurrentRow(index);
    else {
        m_list->clearSelection();
        m_list->setCurrentRow(-1);
    }
}

void FormLlenguatge::ListBoxLlenguatgeClick()
{
    // Qt's own dialogs first: the windows relabel themselves in what they find.
    UseQtTranslations(LanguageIndex());
    m_language.Apply(LanguageIndex());
    Relabel();
    emit languageApplied(LanguageIndex());
}

void FormLlenguatge::Relabel()
{
    m_ok->setText(m_speechWindow.OkCaption());
    // The list is announced like the button that opens this window, in its language.
    const QString listName = CaptionOf(FormTTS::CaptionRows(), LanguageIndex(), QStringLiteral("BitBtnLlenguatge"));
    if (!listName.isEmpty())
        m_list->setAccessibleName(listName);
    m_ok->setAccessibleName(WithoutMnemonic(m_ok->text()));
}
