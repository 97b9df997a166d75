#include "windows/FormTTS.h"

#include "core/SettingsStore.h"
#include "windows/ChoiceList.h"
#include "speech/VoiceControl.h"

#include <QCheckBox>
#include <QEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace {

constexpr int kVoiceRowHeight = 25;
constexpr int kVoiceListHeight = 193;
constexpr int kTestRowHeight = 70;
constexpr int kRateMinimum = -10;
constexpr int kRateMaximum = 10;

// The two groups of reading-option boxes.
enum class OptionGroup { Keys, Typing };

struct OptionDesign
{
    ReadingOption option;
    const char *name;
    const char *caption;
    OptionGroup group;
    bool visible;
};

// Design names and captions of the reading-option boxes, in tab order.
constexpr OptionDesign kOptionDesign[] = {
    {ReadingOption::ReadAll, "CheckBoxReadAll", "F7/ESC Read all", OptionGroup::Keys, true},
    {ReadingOption::ReadSelected, "CheckBoxReadSelected", "F8 Read selected", OptionGroup::Keys, true},
    {ReadingOption::ReadClipboard, "CheckBoxReadClipboardContent", "F9 Read clipboard content", OptionGroup::Keys,
     false},
    {ReadingOption::ReadWordByWord, "CheckBoxReadWordByWord", "F10 Read word by word", OptionGroup::Keys, false},
    {ReadingOption::PastedToClipboard, "CheckBoxLlegeixDirectamentLaCarpeta", "Read text pasted to clipboard",
     OptionGroup::Keys, false},
    {ReadingOption::SelectedText, "CheckBoxSelectedText", "Button read. Reads selected text", OptionGroup::Typing,
     true},
    {ReadingOption::Letters, "CheckBoxLletres", "Read letters by pressing keyboard", OptionGroup::Typing, true},
    {ReadingOption::WordOnSpace, "CheckBoxEspai", "Read words by pressing space ( )", OptionGroup::Typing, true},
    {ReadingOption::SentenceOnFullStop, "CheckBoxPunt", "Read sentence by pressing (.)", OptionGroup::Typing, true},
    {ReadingOption::SelectionOnMouseUp, "CheckBoxLlegeixLoSeleccionatALAixecarElClic",
     "Mouse up reads selected text", OptionGroup::Typing, true},
};

QPushButton *MakeButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

} // namespace

FormTTS::FormTTS(VoiceControl &voices, DictionaryControl &dictionary, SpeechSettings settings,
                 ReadingOptions &options, QWidget *parent)
    : QDialog(parent)
    , m_voices(voices)
    , m_dictionary(dictionary)
    , m_settings(settings)
    , m_readingOptions(options)
{
    setObjectName(QStringLiteral("FormTTS"));
    setModal(true);
    BuildControls();
    ApplyWindowSteps();
    SetTabOrder();
    SyncFromVoices();
    resize(694, 577);
}

void FormTTS::BuildControls()
{
    // Made in the order the focus goes through them; laid out top to bottom.
    QLayout *top = BuildVoiceAndRate();
    QLayout *groups = BuildOptionGroups();
    QLayout *testRow = BuildTestRow();
    m_stopLabel = new QLabel(QStringLiteral("F11 Stop speech"), this);
    m_stopLabel->setObjectName(QStringLiteral("LabelPararLectura"));
    m_dictionaryBox = new QCheckBox(QStringLiteral("Utilitzar diccionari d'excepcions"), this);
    m_dictionaryBox->setObjectName(QStringLiteral("CheckBoxDicExc"));
    connect(m_dictionaryBox, &QCheckBox::clicked, this, &FormTTS::CheckBoxDicExcMouseUp);
    QLayout *buttons = BuildButtons();

    auto *window = new QVBoxLayout(this);
    window->addLayout(top, 1);
    window->addLayout(testRow);
    window->addLayout(groups);
    window->addWidget(m_stopLabel);
    window->addWidget(m_dictionaryBox);
    window->addLayout(buttons);
}

void FormTTS::AddSection(QWidget *section)
{
    auto *window = qobject_cast<QVBoxLayout *>(layout());
    if (!window || !section)
        return;
    section->setParent(this);
    window->insertWidget(window->indexOf(m_dictionaryBox), section);
}

QLayout *FormTTS::BuildVoiceAndRate()
{
    m_voiceList = new ChoiceList(this);
    m_voiceList->setObjectName(QStringLiteral("ListBoxMotorsDeVeu"));
    QFont listFont = m_voiceList->font();
    listFont.setPixelSize(18);
    listFont.setWeight(QFont::DemiBold);
    m_voiceList->setFont(listFont);
    m_voiceList->SetEntries(m_voices.VoiceEntries(), kVoiceRowHeight);
    m_voiceList->setMinimumHeight(kVoiceListHeight);
    m_voiceList->setAccessibleName(QStringLiteral("Voices"));
    connect(m_voiceList, &ChoiceList::chosen, this, &FormTTS::ListBoxMotorsDeVeuClick);

    m_speedTitle = new QLabel(QStringLiteral("Speed:"), this);
    m_speedTitle->setObjectName(QStringLiteral("LabelVelocitat"));
    m_rate = new QSlider(Qt::Vertical, this);
    m_rate->setObjectName(QStringLiteral("tbRate"));
    m_rate->setRange(kRateMinimum, kRateMaximum);
    m_rate->setSingleStep(1);
    m_rate->setPageStep(2);
    m_rate->setTickPosition(QSlider::TicksBothSides);
    m_rate->setTickInterval(1);
    // The slowest rate at the top; Up moves towards it.
    m_rate->setInvertedAppearance(true);
    m_rate->setInvertedControls(true);
    m_rate->setFocusPolicy(Qt::StrongFocus);
    m_speedTitle->setBuddy(m_rate);
    connect(m_rate, &QSlider::valueChanged, this, &FormTTS::tbRateChange);
    m_rateLabel = new QLabel(QStringLiteral("0"), this);
    m_rateLabel->setObjectName(QStringLiteral("lblRate"));
    m_rateLabel->setAlignment(Qt::AlignCenter);

    auto *rateColumn = new QVBoxLayout;
    rateColumn->addWidget(m_speedTitle, 0, Qt::AlignHCenter);
    rateColumn->addWidget(m_rate, 1, Qt::AlignHCenter);
    rateColumn->addWidget(m_rateLabel, 0, Qt::AlignHCenter);

    auto *top = new QHBoxLayout;
    top->addWidget(m_voiceList, 1);
    top->addLayout(rateColumn);
    return top;
}

QLayout *FormTTS::BuildOptionGroups()
{
    auto *keysGroup = new QGroupBox(this);
    keysGroup->setObjectName(QStringLiteral("GroupBoxTecles"));
    auto *keysColumn = new QVBoxLayout(keysGroup);
    auto *typingGroup = new QGroupBox(this);
    typingGroup->setObjectName(QStringLiteral("GroupBoxEscriptura"));
    auto *typingColumn = new QVBoxLayout(typingGroup);
    for (const OptionDesign &design : kOptionDesign) {
        const bool keys = design.group == OptionGroup::Keys;
        auto *box = new QCheckBox(QString::fromUtf8(design.caption), keys ? keysGroup : typingGroup);
        box->setObjectName(QLatin1String(design.name));
        box->setChecked(m_readingOptions.IsOn(design.option));
        box->setVisible(design.visible);
        (keys ? keysColumn : typingColumn)->addWidget(box);
        m_optionBoxes[std::size_t(design.option)] = box;
        // The box, whoever sets it, is the option.
        const ReadingOption option = design.option;
        connect(box, &QCheckBox::toggled, this, [this, option](bool on) { m_readingOptions.Set(option, on); });
    }
    keysColumn->addStretch();
    typingColumn->addStretch();
    connect(&m_readingOptions, &ReadingOptions::changed, this, [this](ReadingOption option, bool on) {
        OptionBox(option)->setChecked(on);
        if (option == ReadingOption::WordOnSpace && on)
            CheckBoxEspaiClick();
    });

    auto *groups = new QHBoxLayout;
    groups->addWidget(keysGroup, 281);
    groups->addWidget(typingGroup, 321);
    return groups;
}

QLayout *FormTTS::BuildTestRow()
{
    m_testText = new QLineEdit(
        QStringLiteral("Hola mundo. Estoy muy contento de estar aquí. Deseo que seais muy felices."), this);
    m_testText->setObjectName(QStringLiteral("EditText"));
    m_testText->setAccessibleName(QStringLiteral("Test text"));
    m_speak = MakeButton(this, "ButtonParlar", QStringLiteral("Parla"));
    m_silence = MakeButton(this, "ButtonCalla", QStringLiteral("Calla"));
    m_wav = MakeButton(this, "ButtonWav", QStringLiteral("Crear wav"));
    connect(m_speak, &QPushButton::clicked, this, &FormTTS::ButtonParlarClick);
    connect(m_silence, &QPushButton::clicked, this, &FormTTS::ButtonCallaClick);
    auto *testRow = new QHBoxLayout;
    testRow->addWidget(m_testText, 1);
    testRow->addWidget(m_speak);
    testRow->addWidget(m_silence);
    testRow->addWidget(m_wav);
    return testRow;
}

QLayout *FormTTS::BuildButtons()
{
    m_ok = MakeButton(this, "BitBtnTancar", QStringLiteral("OK"));
    m_helpButton = MakeButton(this, "BitBtnHelp", QStringLiteral("Help"));
    m_language = MakeButton(this, "BitBtnLlenguatge", QStringLiteral("Language"));
    // Enter accepts the window, wherever the focus is but on another button.
    m_ok->setDefault(true);
    m_noDisturb = MakeButton(this, "ButtonNoMolestar", QStringLiteral("Don't disturb"));
    m_exit = MakeButton(this, "BitBtnExit", QStringLiteral("Exit"));
    m_wavMp3 = MakeButton(this, "BitBtnWavMP3", QStringLiteral("WAV/MP3"));
    for (QPushButton *hidden : {m_noDisturb, m_exit, m_wavMp3})
        hidden->setVisible(false);
    connect(m_ok, &QPushButton::clicked, this, &FormTTS::BitBtnTancarClick);
    connect(m_helpButton, &QPushButton::clicked, this, &FormTTS::BitBtnHelpClick);
    connect(m_language, &QPushButton::clicked, this, &FormTTS::BitBtnLlenguatgeClick);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *button : {m_ok, m_helpButton, m_language, m_noDisturb, m_exit, m_wavMp3})
        buttons->addWidget(button);
    buttons->addStretch();
    return buttons;
}

void FormTTS::ApplyWindowSteps()
{
    if (!m_voices.AutomationAvailable()) {
        m_speak->setEnabled(false);
        m_wav->setEnabled(false);
    }
    // The test row is never shown in use; the list takes its room.
    for (QWidget *testControl : std::initializer_list<QWidget *>{m_speak, m_silence, m_wav, m_testText})
        testControl->setVisible(false);
    m_voiceList->setMinimumHeight(kVoiceListHeight + kTestRowHeight);
}

void FormTTS::SetTabOrder()
{
    QList<QWidget *> order{m_voiceList, m_rate};
    for (const OptionDesign &design : kOptionDesign)
        order << OptionBox(design.option);
    order << m_dictionaryBox << m_ok << m_helpButton << m_language;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

QCheckBox *FormTTS::OptionBox(ReadingOption option) const
{
    return m_optionBoxes[std::size_t(option)];
}

bool FormTTS::IsOptionChecked(ReadingOption option) const
{
    return OptionBox(option)->isChecked();
}

void FormTTS::SetOptionChecked(ReadingOption option, bool checked)
{
    OptionBox(option)->setChecked(checked);
}

QString FormTTS::OkCaption() const
{
    return m_ok->text();
}

void FormTTS::RefreshVoiceList()
{
    {
        const QSignalBlocker listBlocker(m_voiceList);
        m_voiceList->SetEntries(m_voices.VoiceEntries(), kVoiceRowHeight);
    }
    SyncFromVoices();
}

void FormTTS::SyncFromVoices()
{
    const QSignalBlocker listBlocker(m_voiceList);
    const QSignalBlocker rateBlocker(m_rate);
    const int index = m_voices.SelectedIndex();
    if (index >= 0 && index < m_voiceList->count())
        m_voiceList->setCurrentRow(index);
    else {
        m_voiceList->clearSelection();
        m_voiceList->setCurrentRow(-1);
    }
    m_rate->setValue(m_voices.RatePosition());
    if (m_rate->value() != m_voices.RatePosition()) {
        // A position off the bar is brought onto it, so that the bar and the label agree.
        m_voices.SetRatePosition(m_rate->value());
        m_voices.SetSpeechRate();
    }
    m_rateLabel->setText(m_voices.RateLabel());
}

void FormTTS::ListBoxMotorsDeVeuClick()
{
    // The chosen entry says its own name in its voice, cutting the previous sample short,
    // so that a voice can be heard before it is kept.
    m_voices.StopSpeech();
    m_voices.SetSelectedIndex(m_voiceList->currentRow());
    m_voices.SelectVoice();
    m_rateLabel->setText(m_voices.RateLabel());
    if (const QListWidgetItem *entry = m_voiceList->currentItem()) {
        m_voices.SpeakText(entry->text());
        m_samplePlaying = true;
    }
}

void FormTTS::tbRateChange()
{
    m_voices.SetRatePosition(m_rate->value());
    m_voices.SetSpeechRate();
    m_rateLabel->setText(m_voices.RateLabel());
}

bool FormTTS::StepRate(int steps)
{
    // From the rate the voices have, whatever the bar showed last.
    const int before = m_voices.RatePosition();
    const int after = qBound(m_rate->minimum(), before + steps * m_rate->singleStep(), m_rate->maximum());
    if (after == before)
        return false;
    {
        const QSignalBlocker rateBlocker(m_rate);
        m_rate->setValue(after);
    }
    tbRateChange();
    // A failed write is told by the settings front.
    m_settings.WriteRateText(m_rateLabel->text());
    return true;
}

void FormTTS::CheckBoxEspaiClick()
{
    if (!OptionBox(ReadingOption::WordOnSpace)->isChecked() || !m_oneHand)
        return;
    if (m_oneHand->OneHandOn())
        m_oneHand->TurnOneHandOff();
}

void FormTTS::CheckBoxDicExcMouseUp()
{
    m_dictionary.SetDictionaryActive(false);
    if (m_dictionaryBox->isChecked())
        m_dictionaryBox->setChecked(m_dictionary.ChooseExceptionsDictionary());
}

void FormTTS::BitBtnTancarClick()
{
    accept();
    m_dictionary.ClosingStep();
}

void FormTTS::BitBtnHelpClick()
{
    if (m_help)
        m_help();
}

void FormTTS::BitBtnLlenguatgeClick()
{
    if (m_languageWindow)
        m_languageWindow->exec();
}

void FormTTS::ButtonParlarClick()
{
    m_voices.SpeakText(m_testText->text());
}

void FormTTS::ButtonCallaClick()
{
    m_voices.StopSpeech();
}

void FormTTS::showEvent(QShowEvent *event)
{
    m_dictionaryBox->setChecked(m_dictionary.DictionaryActive());
    SyncFromVoices();
    QDialog::showEvent(event);
}

void FormTTS::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() != QEvent::WindowTitleChange)
        return;
    // The window carries the main window's long title. Where the window draws its own
    // title bar (Qt's decoration on Wayland) the title is cut at the window's width, so
    // the window keeps room for the title in a bold face beside the bar's three buttons.
    QFont bold = font();
    bold.setBold(true);
    constexpr int kTitleBarButtonsAndMargins = 3 * 32 + 2 * 16;
    const int room = QFontMetrics(bold).horizontalAdvance(windowTitle()) + kTitleBarButtonsAndMargins;
    setMinimumWidth(qMax(room, minimumSizeHint().width()));
    if (width() < room)
        resize(room, height());
}

void FormTTS::done(int result)
{
    if (m_samplePlaying) {
        m_samplePlaying = false;
        m_voices.StopSpeech();
    }
    FormClose();
    QDialog::done(result);
}

void FormTTS::FormClose()
{
    // A failed write is told by the settings front.
    if (m_voices.MspCount() > 0 || m_voices.SapiCount() > 0 || m_voices.UpctvLoaded()) {
        const QListWidgetItem *entry = m_voiceList->currentItem();
        m_settings.WriteVoice(m_voiceList->currentRow(), entry ? entry->text() : QString());
    }
    m_settings.WriteRateText(m_rateLabel->text());
}
