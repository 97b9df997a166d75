#include "app/reading/SpokenWordHighlight.h"
#include "app/shell/Startup.h"
#include "app/view/ReadingView.h"
#include "app/view/ReadingViewMenu.h"
#include "app/view/ViewCaptions.h"
#include "app/window/EditorFont.h"
#include "app/window/EditorWidget.h"
#include "app/window/MainWindow.h"
#include "app/menus/MenuCheckItems.h"
#include "core/SettingsStore.h"
#include "speech/SpeechController.h"
#include "tests/common/StartupFixture.h"
#include "tests/common/WindowActivation.h"
#include "windows/InterfaceLanguages.h"

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QFontDatabase>
#include <QImage>
#include <QMenu>
#include <QScrollBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QWheelEvent>
#include <QtTest>

// The reading view as a reader meets it: the submenu's items, what the window shows with
// them, measured on its picture, and what stays as it was.
class TestReadingView : public QObject
{
    Q_OBJECT

    FakeStartupVoices m_voices;
    QTemporaryDir m_dir;

    std::unique_ptr<ProgramWindows> Start(const QByteArray &settings = {})
    {
        if (!settings.isNull() && !WriteWholeFile(m_dir.filePath(QStringLiteral("tolvanet.ini")), settings))
            qFatal("cannot write the test's settings file");
        m_voices.ResetProgramAndVoices();
        auto windows = StartProgram(TestStartupOptions(m_dir.path(), &m_voices.m_engines));
        windows->main->resize(700, 420);
        // The captions and texts are the Catalan ones, whatever the session's language.
        windows->interfaceLanguage->Apply(int(InterfaceLanguage::Catala));
        ShowActive(windows->main.get());
        windows->main->Edit()->setFocus();
        return windows;
    }

    static void Close(ProgramWindows &windows)
    {
        windows.main->Document().SetModified(false);
        windows.main->close();
    }

    static QAction *Item(ProgramWindows &windows, const char *name)
    {
        return windows.main->findChild<QAction *>(QString::fromLatin1(name));
    }

    static QString Lines(int count)
    {
        QStringList lines;
        for (int n = 1; n <= count; ++n)
            lines << QStringLiteral("Línia %1 de la casa del mar").arg(n);
        return lines.join(u'\n');
    }

    // The highest contrast of any pixel of a row of the picture against `base`: its text's.
    static double RowContrast(const QImage &picture, const QRect &row, const QColor &base)
    {
        double best = 1.0;
        for (int y = qMax(0, row.top()); y <= qMin(picture.height() - 1, row.bottom()); ++y)
            for (int x = 0; x < picture.width(); ++x)
                best = qMax(best, ContrastRatio(picture.pixelColor(x, y), base));
        return best;
    }

    static QRect LineRow(EditorWidget *edit, int block)
    {
        QTextCursor at(edit->document()->findBlockByNumber(block));
        const QRect caret = edit->cursorRect(at);
        return QRect(0, caret.top() + 1, edit->viewport()->width(), caret.height() - 2);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
    }

    // A hand-edited section: out of range, not a number or missing gives the nearest value.
    void handEditedValuesTakeTheNearestAllowed_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QList<int>>("expected"); // focus, line, letter, word, zoom
        QTest::newRow("missing") << QByteArray() << QList<int>{0, 100, 0, 0, 100};
        QTest::newRow("in range") << QByteArray("FOCUS=3\nINTERLINEAT=150\nESPAI LLETRES=20\nESPAI PARAULES=100\nZOOM=130\n")
                                  << QList<int>{3, 150, 20, 100, 130};
        QTest::newRow("out of range") << QByteArray("FOCUS=9\nINTERLINEAT=20\nESPAI LLETRES=-4\nESPAI PARAULES=900\nZOOM=9999\n")
                                      << QList<int>{5, 100, 0, 200, 400};
        QTest::newRow("between steps") << QByteArray("FOCUS=2\nZOOM=54\n") << QList<int>{1, 100, 0, 0, 50};
        QTest::newRow("not numbers") << QByteArray("FOCUS=tres\nINTERLINEAT=1,5\nESPAI LLETRES=\nZOOM=12O\n")
                                     << QList<int>{0, 100, 0, 0, 100};
    }
    void handEditedValuesTakeTheNearestAllowed()
    {
        QFETCH(QByteArray, section);
        QFETCH(QList<int>, expected);
        const QString file = m_dir.filePath(QStringLiteral("edited.ini"));
        QVERIFY(WriteWholeFile(file, "[Vista]\n" + section + "TEMA=violeta\nSIL·LABES=potser\n"));
        const ViewSettings view = ViewSettings::Read(SettingsStore(file));
        QCOMPARE((QList<int>{view.focusLines, view.lineSpacing, view.letterSpacing, view.wordSpacing, view.zoom}),
                 expected);
        QCOMPARE(view.theme, ViewTheme::Light);
        QVERIFY(!view.syllables);
    }

    // Every theme's text stands at 7:1 at least on its background, on the window's picture.
    void everyThemeReadsAtSevenToOne_data()
    {
        QTest::addColumn<QByteArray>("item");
        for (const char *item : {"MenuVistaTemaClar", "MenuVistaTemaCrema", "MenuVistaTemaFosc",
                                 "MenuVistaTemaAltContrast", "MenuVistaTemaSistema"})
            QTest::newRow(item) << QByteArray(item);
    }
    void everyThemeReadsAtSevenToOne()
    {
        QFETCH(QByteArray, item);
        auto windows = Start("");
        EditorWidget *edit = windows->main->Edit();
        edit->setPlainText(QStringLiteral("MMMM WWWW ████"));
        Item(*windows, item.constData())->trigger();
        QVERIFY(Item(*windows, item.constData())->isChecked());
        const QImage picture = edit->viewport()->grab().toImage();
        const QColor base = picture.pixelColor(picture.width() - 5, picture.height() - 5);
        QCOMPARE(base, edit->palette().color(QPalette::Base));
        const double contrast = RowContrast(picture, LineRow(edit, 0), base);
        QVERIFY2(contrast >= 7.0, qPrintable(QStringLiteral("contrast %1").arg(contrast)));
        // The selection reads on its own colour too (the light theme is the window as it was).
        QVERIFY(item == "MenuVistaTemaClar" || ContrastRatio(edit->palette().color(QPalette::HighlightedText), edit->palette().color(QPalette::Highlight))
                >= 4.5);
        Close(*windows);
    }

    // Line focus leaves the caret's line (and those around it) bright and dims the others
    // to at most half their contrast; the key switches it.
    void lineFocusDimsTheOtherLines()
    {
        auto windows = Start("");
        EditorWidget *edit = windows->main->Edit();
        edit->setPlainText(Lines(9));
        QTextCursor caret(edit->document()->findBlockByNumber(4));
        edit->setTextCursor(caret);
        QTest::keyClick(edit, Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(windows->readingView->Settings().focusLines, 3);
        Item(*windows, "MenuVistaFocus1")->trigger();
        QCOMPARE(windows->readingView->Settings().focusLines, 1);
        const QColor base = edit->palette().color(QPalette::Base);
        const QImage picture = edit->viewport()->grab().toImage();
        const double focused = RowContrast(picture, LineRow(edit, 4), base);
        QVERIFY(focused >= 7.0);
        for (int other : {2, 3, 5, 6}) {
            const double dimmed = RowContrast(picture, LineRow(edit, other), base);
            QVERIFY2(dimmed <= focused / 2, qPrintable(QStringLiteral("line %1: %2 against %3").arg(other).arg(dimmed).arg(focused)));
        }
        // Three lines: the ones beside the caret's come back.
        Item(*windows, "MenuVistaFocus3")->trigger();
        const QImage three = edit->viewport()->grab().toImage();
        QVERIFY(RowContrast(three, LineRow(edit, 3), base) >= 7.0);
        QVERIFY(RowContrast(three, LineRow(edit, 2), base) <= focused / 2);
        // While reading, the line of the word heard is the one in focus, not the caret's.
        Item(*windows, "MenuVistaFocus1")->trigger();
        const int heard = edit->document()->findBlockByNumber(7).position() + 6;
        windows->highlight->Follow(7, 0, edit->toPlainText());
        windows->highlight->WordHeard(7, heard, 1);
        QCOMPARE(windows->highlight->ShownStart(), heard);
        const QImage reading = edit->viewport()->grab().toImage();
        QVERIFY(RowContrast(reading, LineRow(edit, 7), base) >= 7.0);
        QVERIFY(RowContrast(reading, LineRow(edit, 4), base) <= focused / 2);
        windows->highlight->ReadingEnded(7);
        QTest::keyClick(edit, Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(windows->readingView->Settings().focusLines, 0);
        QVERIFY(RowContrast(edit->viewport()->grab().toImage(), LineRow(edit, 2), base) >= 7.0);
        Close(*windows);
    }

    // Line spacing moves the baselines by the factor asked; letters and words move apart.
    void spacingMovesTheTextAsAsked()
    {
        auto windows = Start("");
        EditorWidget *edit = windows->main->Edit();
        edit->setPlainText(QStringLiteral("casa gran\nmar blau\nsol\n"));
        auto lineStep = [edit] {
            return edit->cursorRect(QTextCursor(edit->document()->findBlockByNumber(2))).top()
                   - edit->cursorRect(QTextCursor(edit->document()->findBlockByNumber(1))).top();
        };
        auto wordEnd = [edit] {
            QTextCursor end(edit->document()->findBlockByNumber(0));
            end.movePosition(QTextCursor::EndOfBlock);
            return edit->cursorRect(end).left();
        };
        const int plainStep = lineStep();
        const int plainEnd = wordEnd();
        ReadingView &view = *windows->readingView;
        view.SetLineSpacing(200);
        QVERIFY2(qAbs(lineStep() - 2 * plainStep) <= 2, qPrintable(QStringLiteral("%1 against %2").arg(lineStep()).arg(plainStep)));
        Item(*windows, "MenuVistaMesInterlineat")->trigger();
        QCOMPARE(view.Settings().lineSpacing, 225);
        QVERIFY(windows->main->statusBar()->currentMessage().contains(QLatin1String("225")));
        view.SetLetterSpacing(50);
        const int spacedLetters = wordEnd();
        QVERIFY(spacedLetters > plainEnd);
        view.SetWordSpacing(200);
        QVERIFY(wordEnd() > spacedLetters);
        // The mouse finds the letter it points at in the spaced text.
        QTextCursor third(edit->document()->findBlockByNumber(1));
        third.setPosition(third.position() + 5);
        QCOMPARE(edit->cursorForPosition(edit->cursorRect(third).center() + QPoint(1, 0)).position(), third.position());
        Item(*windows, "MenuVistaEspaiatNormal")->trigger();
        QCOMPARE(lineStep(), plainStep);
        QCOMPARE(wordEnd(), plainEnd);
        Close(*windows);
    }

    // Ctrl++, Ctrl+- and Ctrl+0 size the text in steps of a tenth, told in the status line.
    void zoomKeysSizeTheText()
    {
        auto windows = Start("");
        EditorWidget *edit = windows->main->Edit();
        QVERIFY(QTest::qWaitForWindowExposed(windows->main.get()));
        edit->setFocus();
        const QFont plain = edit->font();
        const int plainSize = plain.pixelSize() > 0 ? plain.pixelSize() : int(plain.pointSizeF());
        auto size = [edit] { return edit->font().pixelSize() > 0 ? edit->font().pixelSize() : int(edit->font().pointSizeF()); };
        QTest::keyClick(edit, Qt::Key_Plus, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Plus, Qt::ControlModifier);
        QCOMPARE(windows->readingView->Settings().zoom, 120);
        QCOMPARE(size(), qRound(plainSize * 1.2));
        QCOMPARE(windows->main->statusBar()->currentMessage(), QStringLiteral("Mida del text: 120 %"));
        for (int i = 0; i < 10; ++i)
            QTest::keyClick(edit, Qt::Key_Minus, Qt::ControlModifier);
        QCOMPARE(windows->readingView->Settings().zoom, 50);
        QTest::keyClick(edit, Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(windows->readingView->Settings().zoom, 100);
        // Ctrl with the wheel goes a step for each notch, and is not taken as a scroll.
        QWheelEvent wheel(QPointF(10, 10), edit->viewport()->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, 240),
                          Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(edit->viewport(), &wheel);
        QCOMPARE(windows->readingView->Settings().zoom, 120);
        QTest::keyClick(edit, Qt::Key_0, Qt::ControlModifier);
        QCOMPARE(size(), plainSize);
        QCOMPARE(edit->toPlainText(), QString());
        // A font chosen meanwhile is zoomed from.
        windows->readingView->SetZoom(200);
        QFont chosen(QStringLiteral("DejaVu Sans"));
        chosen.setPixelSize(20);
        windows->main->UseEditorFont(chosen);
        QCOMPARE(edit->font().pixelSize(), 40);
        // The fonts that help are one step each, kept as the font dialog keeps its choice.
        windows->readingView->SetZoom(100);
        Item(*windows, "MenuVistaLletraOpenDyslexic")->trigger();
        if (DyslexiaFontInstalled()) {
            QCOMPARE(edit->font().family(), QStringLiteral("OpenDyslexic"));
            QVERIFY(SettingsStore(m_dir.filePath(QStringLiteral("tolvanet.ini")))
                        .ReadString(QStringLiteral("Font Missatge"), QStringLiteral("Name"), QString())
                        .contains(QLatin1String("OpenDyslexic")));
        } else {
            QCOMPARE(windows->main->statusBar()->currentMessage(), ViewMessageText(ViewMessage::FontMissing, 0));
        }
        Item(*windows, "MenuVistaLletraGran")->trigger();
        QCOMPARE(edit->font().pixelSize(), 24);
        QCOMPARE(edit->font().family(), QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
        Close(*windows);
    }

    // Every option is kept in the file and comes back at the next start.
    void everyOptionSurvivesARestart()
    {
        {
            auto windows = Start("");
            for (const char *item : {"MenuVistaFocus5", "MenuVistaMesInterlineat", "MenuVistaMesEspaiLletres",
                                     "MenuVistaMesEspaiParaules", "MenuVistaTemaFosc", "MenuVistaAmpliar",
                                     "MenuVistaSillabes", "MenuVistaCursorAmple"})
                Item(*windows, item)->trigger();
            Close(*windows);
        }
        auto windows = Start();
        const ViewSettings &view = windows->readingView->Settings();
        QCOMPARE((QList<int>{view.focusLines, view.lineSpacing, view.letterSpacing, view.wordSpacing, view.zoom}),
                 (QList<int>{5, 125, 5, 25, 110}));
        QCOMPARE(view.theme, ViewTheme::Dark);
        QVERIFY(view.syllables && view.wideCaret);
        QCOMPARE(windows->main->Edit()->cursorWidth(), 3);
        QCOMPARE(windows->main->Edit()->palette().color(QPalette::Base), QColor(0x1e, 0x1e, 0x20));
        for (const char *item : {"MenuVistaFocus5", "MenuVistaTemaFosc", "MenuVistaSillabes", "MenuVistaCursorAmple"})
            QVERIFY2(Item(*windows, item)->isChecked(), item);
        Close(*windows);
    }

    // No option moves the caret, the selection, the line shown or the undo history, nor
    // touches the text: syllables are drawn, not written.
    void optionsLeaveTheDocumentAlone()
    {
        auto windows = Start("");
        EditorWidget *edit = windows->main->Edit();
        edit->setPlainText(Lines(300));
        QTest::keyClick(edit, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(edit, QStringLiteral(" fi"));
        QTextCursor selection(edit->document()->findBlockByNumber(150));
        selection.setPosition(selection.position() + 6, QTextCursor::KeepAnchor);
        edit->setTextCursor(selection);
        const int firstShown = edit->cursorForPosition(QPoint(2, 2)).blockNumber();
        const int undo = edit->document()->availableUndoSteps();
        const QString text = edit->toPlainText();
        QVERIFY(undo > 0);
        const QImage plain = edit->viewport()->grab().toImage();
        for (const char *item : {"MenuVistaFocus3", "MenuVistaMesInterlineat", "MenuVistaMesEspaiLletres",
                                 "MenuVistaMesEspaiParaules", "MenuVistaTemaCrema", "MenuVistaTemaAltContrast",
                                 "MenuVistaAmpliar", "MenuVistaReduir", "MenuVistaSillabes", "MenuVistaCursorAmple",
                                 "MenuVistaEspaiatNormal", "MenuVistaFocus", "MenuVistaTemaClar"}) {
            Item(*windows, item)->trigger();
            QCOMPARE(edit->textCursor().anchor(), selection.anchor());
            QCOMPARE(edit->textCursor().position(), selection.position());
            QCOMPARE(edit->document()->availableUndoSteps(), undo);
            QCOMPARE(edit->toPlainText(), text);
            QVERIFY2(qAbs(edit->cursorForPosition(QPoint(2, 2)).blockNumber() - firstShown) <= 1, item);
        }
        // Syllables are still on: the picture differs, the copy does not.
        QVERIFY(windows->readingView->Settings().syllables);
        QVERIFY(edit->viewport()->grab().toImage() != plain);
        edit->copy();
        QCOMPARE(QApplication::clipboard()->text(), selection.selectedText());
        Close(*windows);
    }

    // A long line, right-to-left text, emoji, combining accents and a word of 500 letters
    // are drawn with every option on, and typing goes on.
    void unusualTextIsDrawnWithEveryOption()
    {
        auto windows = Start("[Vista]\nFOCUS=3\nINTERLINEAT=200\nESPAI LLETRES=30\nESPAI PARAULES=100\n"
                             "SIL\xC2\xB7LABES=SI\nCURSOR AMPLE=SI\nTEMA=fosc\n");
        EditorWidget *edit = windows->main->Edit();
        QString longLine;
        for (int i = 0; i < 40000; ++i)
            longLine += QStringLiteral("paraula ");
        const QString text = QStringLiteral("שלום עולם سلام 😀👍🏽 cafe\u0301 ") + QString(500, u'a') + u'\n' + longLine;
        edit->setPlainText(text);
        QTest::keyClick(edit, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(edit, QStringLiteral("fi"));
        QVERIFY(!edit->viewport()->grab().toImage().isNull());
        QTest::keyClick(edit, Qt::Key_Home, Qt::ControlModifier);
        QVERIFY(!edit->viewport()->grab().toImage().isNull());
        QCOMPARE(edit->toPlainText(), text + QStringLiteral("fi"));
        Close(*windows);
    }

    // A screen reader hears each item by its caption and its mark, in the interface language.
    void itemsAreAnnouncedByLabelAndState()
    {
        auto windows = Start("");
        QMenu *menu = windows->main->findChild<QMenu *>(QStringLiteral("MenuVistaLectura"));
        QVERIFY(menu);
        QVERIFY(windows->main->MenuNamed(QStringLiteral("MenuOpcions"))->actions().contains(menu->menuAction()));
        QAction *syllables = Item(*windows, "MenuVistaSillabes");
        for (bool on : {true, false}) {
            syllables->trigger();
            QAccessibleInterface *item = AccessibleMenuItem(menu, syllables);
            QVERIFY(item);
            QCOMPARE(item->text(QAccessible::Name), QStringLiteral("Paraules en síl·labes"));
            QVERIFY(item->state().checkable);
            QCOMPARE(bool(item->state().checked), on);
        }
        windows->interfaceLanguage->Apply(int(InterfaceLanguage::English));
        QTRY_COMPARE(syllables->text(), QStringLiteral("Words in sylla&bles"));
        QCOMPARE(menu->title(), QStringLiteral("Readin&g view"));
        windows->readingView->SetZoom(150);
        QCOMPARE(windows->main->statusBar()->currentMessage(), QStringLiteral("Text size: 150%"));
        Close(*windows);
    }

    // In each language the submenu's letter is its own in "&Opcions".
    void theSubmenuLetterIsItsOwn()
    {
        auto windows = Start("");
        QMenu *options = windows->main->MenuNamed(QStringLiteral("MenuOpcions"));
        for (int language = 0; language < kLanguageCount; ++language) {
            windows->interfaceLanguage->Apply(language);
            QHash<QChar, QString> taken;
            for (QAction *item : options->actions()) {
                const qsizetype amp = item->text().indexOf(u'&');
                if (!item->isVisible() || amp < 0 || amp + 1 >= item->text().size())
                    continue;
                const QChar letter = item->text().at(amp + 1).toLower();
                if (item->menu())
                    QVERIFY2(!taken.contains(letter), qPrintable(QStringLiteral("%1 and %2 share a letter in language %3 (%4 taken)")
                                                                     .arg(taken.value(letter), item->text()).arg(language)
                                                                     .arg(QStringList(taken.values()).join(u' '))));
                taken.insert(letter, item->text());
            }
        }
        Close(*windows);
    }

    // Within the submenu, and within its spacing menu, each language gives every item an
    // access letter of its own.
    void accessLettersAreTheirOwn()
    {
        const QStringList spacing = {"MenuVistaMesInterlineat", "MenuVistaMenysInterlineat", "MenuVistaMesEspaiLletres",
                                     "MenuVistaMenysEspaiLletres", "MenuVistaMesEspaiParaules",
                                     "MenuVistaMenysEspaiParaules", "MenuVistaEspaiatNormal"};
        for (int language = 0; language < kLanguageCount; ++language) {
            QHash<QChar, QString> taken[2];
            for (const AddedRow &row : ReadingViewCaptionRows()) {
                const QString caption = QString::fromUtf8(row.texts[size_t(language)]);
                const qsizetype amp = caption.indexOf(u'&');
                if (QLatin1String(row.control) == QLatin1String("MenuVistaLectura"))
                    continue;
                QVERIFY2(amp >= 0 && amp + 1 < caption.size(), qPrintable(caption + QStringLiteral(" has no letter")));
                QHash<QChar, QString> &menu = taken[spacing.contains(QLatin1String(row.control)) ? 1 : 0];
                const QChar letter = caption.at(amp + 1).toLower();
                QVERIFY2(!menu.contains(letter), qPrintable(QStringLiteral("%1 and %2 share %3 in language %4")
                                                                .arg(menu.value(letter), caption, letter).arg(language)));
                menu.insert(letter, caption);
            }
        }
    }
};

QTEST_MAIN(TestReadingView)
#include "test_readingview.moc"
