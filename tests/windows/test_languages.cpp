#include "tests/fakes/SpeechWindowFakes.h"
#include "app/captions/InterfaceCaptions.h"
#include "app/captions/MainWindowCaptions.h"
#include "windows/FormLlenguatge.h"
#include "windows/FormTTS.h"
#include "windows/InterfaceLanguages.h"

#include "tests/common/WindowActivation.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSet>
#include <QTest>

namespace {

// A main window whose objects carry the design names, with its design captions.
class DesignMainWindow : public QMainWindow
{
public:
    DesignMainWindow()
    {
        auto menu = [this](const char *name, const char *title) {
            QMenu *m = menuBar()->addMenu(QString::fromUtf8(title));
            m->setObjectName(QLatin1String(name));
            return m;
        };
        auto item = [](QMenu *m, const char *name, const char *text) {
            m->addAction(QString::fromUtf8(text))->setObjectName(QLatin1String(name));
        };
        QMenu *file = menu("MenuFitxer", "&Fitxer");
        for (auto [name, text] : {std::pair{"MenuNou", "Nou"}, {"MenuObrir", "Obrir..."}, {"MenuObrirComText", "Obrir com a text..."}, {"MenuGuardar", "Guardar"},
                                  {"MenuGuardarCom", "Guardar com..."}, {"MenuImprimir", "Imprimir"},
                                  {"MenuConfigurarimpressora", "Configurar impressora..."},
                                  {"MenuSortir", "Sortir"}})
            item(file, name, text);
        QMenu *edit = menu("MenuEdicio", "&Edició");
        for (auto [name, text] : {std::pair{"MenuCanviarLaFont", "Canviar la &font del text..."},
                                  {"MenuCopiar", "&Copiar"}, {"MenuTallar", "&Tallar"},
                                  {"MenuEnganxar", "&Enganxar"}, {"MenuEsborrar", "Es&borrar"},
                                  {"MenuSeleccionarhotot", "&Seleccionar-ho tot"}})
            item(edit, name, text);
        QMenu *search = menu("MeBuscar", "Bu&scar");
        for (auto [name, text] : {std::pair{"MenuBuscar", "&Buscar"}, {"MenuRepetir", "&Repetir"},
                                  {"MenuSubstituir", "&Substituir"}})
            item(search, name, text);
        item(menu("MenuOpcions", "&Opcions"), "MenuTeclatAmbUnaMa", "Teclat amb una ma");
        menuBar()->addAction(QStringLiteral("Parlant de..."))->setObjectName(QStringLiteral("MenuAbout"));

        auto *bar = new QWidget(this);
        auto *label = new QLabel(QStringLiteral("Sound file name:"), bar);
        label->setObjectName(QStringLiteral("LabelSoundFileName"));
        auto *box = new QCheckBox(QString::fromUtf8("Només una paraula"), bar);
        box->setObjectName(QStringLiteral("CheckBoxNomesUnParaula"));
        setCentralWidget(bar);
    }

    QString Caption(const QString &name) const
    {
        QObject *object = findChild<QObject *>(name);
        if (auto *m = qobject_cast<QMenu *>(object))
            return m->title();
        if (auto *a = qobject_cast<QAction *>(object))
            return a->text();
        if (auto *l = qobject_cast<QLabel *>(object))
            return l->text();
        if (auto *b = qobject_cast<QAbstractButton *>(object))
            return b->text();
        return QStringLiteral("<missing>");
    }
};

QString SpeechCaption(FormTTS &window, const QString &name)
{
    QObject *object = window.findChild<QObject *>(name);
    if (auto *b = qobject_cast<QAbstractButton *>(object))
        return b->text();
    if (auto *l = qobject_cast<QLabel *>(object))
        return l->text();
    return QStringLiteral("<missing>");
}

struct Windows
{
    FakeVoices voices{{QStringLiteral("Alba")}};
    FakeDictionary dictionary;
    TemporarySettings settings;
    InterfaceLanguageModel language;
    DesignMainWindow main;
    ReadingOptions options;
    FormTTS speech{voices, dictionary, settings.store, options, &main};
    FormLlenguatge languages{language, speech, &speech};

    // The design window follows the language as the program's main window does.
    Windows()
    {
        QObject::connect(&language, &InterfaceLanguageModel::languageChanged, &main,
                         [this](int index) { RelabelMainWindow(index, &main); });
    }

    QListWidget *List() { return languages.findChild<QListWidget *>(QStringLiteral("ListBoxLlenguatge")); }
    QString LanguageOk() { return languages.findChild<QPushButton *>(QStringLiteral("BitBtnTancar"))->text(); }
    QString Caption(const CaptionRow &row)
    {
        const QString name = QLatin1String(row.control);
        return row.window == CaptionWindow::Speech ? SpeechCaption(speech, name) : main.Caption(name);
    }
};

} // namespace

class TestLanguages : public QObject
{
    Q_OBJECT
private slots:
    void tableHoldsEveryControlInEveryLanguage();
    void mainWindowCaptionsFollowTheLanguage();
    void optionCaptionsEndWithTheirKey();
    void captionsOfTheTable_data();
    void captionsOfTheTable();
    void everyRowRelabelsBothWindows_data();
    void everyRowRelabelsBothWindows();
    void noRowChangesNothingButCopiesOk();
    void windowOpensOnEnglishWithoutApplyingIt();
    void onlyTheUsersChoiceApplies();
    void ownedDialogsKeepTheirCaptions();
    void missingControlsAreReported();
    void listIsReachedAndNamed();
    void addedTextsInEveryLanguageWithOneMnemonicEach();
};

void TestLanguages::tableHoldsEveryControlInEveryLanguage()
{
    const auto table = CaptionTable();
    QCOMPARE(table.size(), 43u);
    QSet<QString> names;
    for (qsizetype i = 0; i < qsizetype(table.size()); ++i) {
        const CaptionRow &row = table[i];
        QCOMPARE(row.window, i < 18 ? CaptionWindow::Speech : CaptionWindow::Main);
        names.insert(QLatin1String(row.control));
        for (const char *caption : row.captions)
            QVERIFY(caption && *caption);
    }
    QCOMPARE(names.size(), 43);
    QCOMPARE(LanguageNames(), QStringList({"CATALÀ", "CASTELLANO", "EUSKARA", "GALEGO", "PORTUGUÊS", "ENGLISH",
                                           "FRANÇAIS"}));
}

// The menus and the one-word box speak each language; the sound-file label is English
// in English and Spanish elsewhere, as designed.
void TestLanguages::mainWindowCaptionsFollowTheLanguage()
{
    for (const CaptionRow &row : CaptionTable()) {
        if (row.window != CaptionWindow::Main)
            continue;
        const QString control = QLatin1String(row.control);
        QVERIFY2(InterfaceCaption(5, control) != InterfaceCaption(1, control), qPrintable(control));
        if (control != QLatin1String("LabelSoundFileName"))
            QVERIFY2(InterfaceCaption(6, control) != InterfaceCaption(1, control), qPrintable(control));
    }
    for (int language : {2, 3, 4, 6})
        QCOMPARE(InterfaceCaption(language, "LabelSoundFileName"), InterfaceCaption(1, "LabelSoundFileName"));
    QCOMPARE(InterfaceCaption(5, "LabelSoundFileName"), QStringLiteral("Sound file name:"));
    QCOMPARE(InterfaceCaption(6, "LabelSoundFileName"), QStringLiteral("Nombre del archivo de sonido:"));
    QCOMPARE(InterfaceCaption(1, "MenuAbout"), QStringLiteral("Acerca de..."));
    for (int language : {2, 3, 4, 5, 6})
        QCOMPARE(InterfaceCaption(language, "MenuAbout"), QStringLiteral("About..."));
}

void TestLanguages::optionCaptionsEndWithTheirKey()
{
    const QList<std::pair<QString, QString>> keys{
        {"CheckBoxReadAll", "F7/ESC"}, {"CheckBoxReadSelected", "F8"}, {"CheckBoxReadClipboardContent", "F9"},
        {"CheckBoxReadWordByWord", "F10"}, {"LabelPararLectura", "F11"}, {"CheckBoxEspai", "( )"},
        {"CheckBoxPunt", "(.)"}};
    for (const auto &[control, key] : keys) {
        for (int language = 0; language < kLanguageCount; ++language)
            QVERIFY2(InterfaceCaption(language, control).contains(key), qPrintable(control));
    }
}

void TestLanguages::captionsOfTheTable_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("caption");
    QTest::newRow("ENGLISH read all") << 5 << "CheckBoxReadAll" << "F7/ESC Read all";
    QTest::newRow("ENGLISH file menu") << 5 << "MenuFitxer" << "&File";
    QTest::newRow("CASTELLANO file menu") << 1 << "MenuFitxer" << "&Archivo";
    QTest::newRow("CATALÀ dictionary") << 0 << "CheckBoxDicExc" << "Utilitzar diccionari d'excepcions";
    QTest::newRow("FRANÇAIS dictionary") << 6 << "CheckBoxDicExc" << "Utiliser le dictionnaire d'exceptions";
    QTest::newRow("ENGLISH dictionary") << 5 << "CheckBoxDicExc" << "Use the exceptions dictionary";
    QTest::newRow("CASTELLANO dictionary") << 1 << "CheckBoxDicExc" << "Utilizar diccionario de excepciones";
    QTest::newRow("FRANÇAIS OK") << 6 << "BitBtnTancar" << "Accepter";
    QTest::newRow("CATALÀ OK") << 0 << "BitBtnTancar" << "D'acord";
    QTest::newRow("EUSKARA letters") << 2 << "CheckBoxLletres" << "Letrak irakurtzen ditu teklatua sakatu eskero";
    QTest::newRow("GALEGO mouse up") << 3 << "CheckBoxLlegeixLoSeleccionatALAixecarElClic"
                                     << "Ler o texto para recadar o rato";
    QTest::newRow("PORTUGUÊS speed") << 4 << "LabelVelocitat" << "Velocidad:";
    QTest::newRow("PORTUGUÊS don't disturb") << 4 << "ButtonNoMolestar" << "Não perturbe";
    QTest::newRow("GALEGO exit") << 3 << "BitBtnExit" << "Saír";
    QTest::newRow("FRANÇAIS word by word") << 6 << "CheckBoxReadWordByWord" << "F10 Lire mot à mot";
    QTest::newRow("CASTELLANO cut") << 1 << "MenuTallar" << "Cor&tar";
    QTest::newRow("CATALÀ select all") << 0 << "MenuSeleccionarhotot" << "&Seleccionar-ho tot";
    QTest::newRow("EUSKARA one word") << 2 << "CheckBoxNomesUnParaula" << "Hitz bakarra";
    QTest::newRow("ENGLISH find menu") << 5 << "MeBuscar" << "&Search";
    QTest::newRow("CATALÀ about") << 0 << "MenuAbout" << "Parlant de...";
    QTest::newRow("no such control") << 1 << "MenuJava" << QString();
    QTest::newRow("no such language") << 7 << "BitBtnTancar" << QString();
}

void TestLanguages::captionsOfTheTable()
{
    QFETCH(int, language);
    QFETCH(QString, control);
    QFETCH(QString, caption);
    QCOMPARE(InterfaceCaption(language, control), caption);
}

void TestLanguages::everyRowRelabelsBothWindows_data()
{
    QTest::addColumn<int>("language");
    const QStringList names = LanguageNames();
    for (int language = 0; language < kLanguageCount; ++language)
        QTest::newRow(names[language].toUtf8()) << language;
}

void TestLanguages::everyRowRelabelsBothWindows()
{
    QFETCH(int, language);
    Windows windows;
    windows.languages.SetLanguageIndex(language);
    windows.languages.ListBoxLlenguatgeClick();

    for (const CaptionRow &row : CaptionTable())
        QCOMPARE(windows.Caption(row), QString::fromUtf8(row.captions[language]));
    QCOMPARE(windows.LanguageOk(), QString::fromUtf8(CaptionTable()[11].captions[language]));
    QCOMPARE(windows.LanguageOk(), windows.speech.OkCaption());
}

void TestLanguages::noRowChangesNothingButCopiesOk()
{
    Windows windows;
    windows.languages.SetLanguageIndex(0);
    windows.languages.ListBoxLlenguatgeClick();
    windows.languages.SetLanguageIndex(9);
    QCOMPARE(windows.languages.LanguageIndex(), -1);
    windows.languages.findChild<QPushButton *>(QStringLiteral("BitBtnTancar"))->setText(QStringLiteral("x"));
    windows.languages.ListBoxLlenguatgeClick();
    QCOMPARE(windows.main.Caption("MenuFitxer"), QStringLiteral("&Fitxer"));
    QCOMPARE(windows.speech.OkCaption(), QStringLiteral("D'acord"));
    QCOMPARE(windows.LanguageOk(), QStringLiteral("D'acord"));
}

void TestLanguages::windowOpensOnEnglishWithoutApplyingIt()
{
    Windows windows;
    QCOMPARE(windows.languages.windowTitle(), QStringLiteral("DRAVIMOLS - Llenguatges"));
    QCOMPARE(windows.List()->count(), 7);
    QCOMPARE(windows.languages.LanguageIndex(), 5);
    // Design captions: the menus in Catalan, the speech window in English.
    QCOMPARE(windows.main.Caption("MenuFitxer"), QStringLiteral("&Fitxer"));
    QCOMPARE(windows.main.Caption("LabelSoundFileName"), QStringLiteral("Sound file name:"));
    QCOMPARE(SpeechCaption(windows.speech, "CheckBoxDicExc"), QStringLiteral("Utilitzar diccionari d'excepcions"));
}

void TestLanguages::onlyTheUsersChoiceApplies()
{
    Windows windows;
    windows.languages.show();
    QVERIFY(QTest::qWaitForWindowExposed(&windows.languages));
    QListWidget *list = windows.List();

    windows.languages.SetLanguageIndex(1);
    list->setCurrentRow(6);
    QCOMPARE(windows.main.Caption("MenuFitxer"), QStringLiteral("&Fitxer"));

    // A click on the current row applies it too.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(6)).center());
    QCOMPARE(SpeechCaption(windows.speech, "BitBtnHelp"), QStringLiteral("Aider"));
    QCOMPARE(windows.LanguageOk(), QStringLiteral("Accepter"));

    list->setFocus();
    QTest::keyClick(list, Qt::Key_Up);
    QCOMPARE(windows.languages.LanguageIndex(), 5);
    QCOMPARE(SpeechCaption(windows.speech, "BitBtnHelp"), QStringLiteral("Help"));
    QCOMPARE(windows.main.Caption("MenuAbout"), QStringLiteral("About..."));
}

void TestLanguages::ownedDialogsKeepTheirCaptions()
{
    DesignMainWindow main;
    QDialog owned(&main);
    auto *item = new QPushButton(QStringLiteral("Nou"), &owned);
    item->setObjectName(QStringLiteral("MenuNou"));
    QCOMPARE(SetCaptionByName(&main, QStringLiteral("MenuNou"), QStringLiteral("Nuevo")), 1);
    QCOMPARE(main.Caption("MenuNou"), QStringLiteral("Nuevo"));
    QCOMPARE(item->text(), QStringLiteral("Nou"));
}

void TestLanguages::missingControlsAreReported()
{
    Windows windows;
    QMainWindow bare;
    const QStringList missing = ApplyInterfaceLanguage(1, &bare, &windows.speech);
    QCOMPARE(missing.size(), 25);
    QCOMPARE(missing.first(), QStringLiteral("MenuFitxer"));
    QVERIFY(ApplyInterfaceLanguage(1, &windows.main, &windows.speech).isEmpty());
}

void TestLanguages::listIsReachedAndNamed()
{
    Windows windows;
    windows.languages.show();
    QVERIFY(ShowActive(&windows.languages));
    QCOMPARE(QApplication::focusWidget(), windows.List());
    QVERIFY(!QAccessible::queryAccessibleInterface(windows.List())->text(QAccessible::Name).isEmpty());
    QTest::keyClick(windows.List(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("BitBtnTancar"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(!windows.languages.isVisible());
}

void TestLanguages::addedTextsInEveryLanguageWithOneMnemonicEach()
{
    for (int language = 0; language < kLanguageCount; ++language) {
        QSet<QChar> mnemonics;
        int captions = 0;
        for (const AddedRow &row : AddedTable()) {
            const QString text = QString::fromUtf8(row.texts[language]);
            QVERIFY2(!text.trimmed().isEmpty(), row.control);
            if (row.kind != AddedText::Caption)
                continue;
            ++captions;
            // Every command of "&Opcions" is reached by a letter of its own in every language.
            const qsizetype mark = text.indexOf(u'&');
            QVERIFY2(mark >= 0 && mark + 1 < text.size(), qPrintable(text));
            const QChar letter = text.at(mark + 1).toLower();
            QVERIFY2(!mnemonics.contains(letter), qPrintable(text));
            mnemonics.insert(letter);
        }
        QCOMPARE(mnemonics.size(), captions);
        QVERIFY(captions >= 6);
    }
}

QTEST_MAIN(TestLanguages)
#include "test_languages.moc"
