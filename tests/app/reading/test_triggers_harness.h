#pragma once

// A small window holding a real editor, the toolbar and another focusable field, with
// the triggers and the one-hand keyboard attached to a recording speech fake.

#include "app/typing/OneHandKeyboard.h"
#include "app/reading/ReadingTriggers.h"
#include "core/SettingsStore.h"
#include "speech/SpeechOperations.h"
#include "tests/common/WindowActivation.h"
#include "tests/fakes/RecordingSpeech.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <functional>

// Records like the fake it extends, and lets a test act while a word is being spoken.
class ScriptedSpeech : public RecordingSpeech
{
public:
    bool SpeakTextAndWait(const QString &text, const UtteranceQueued &queued = {}) override
    {
        RecordingSpeech::SpeakTextAndWait(text, queued);
        if (whileSpeaking)
            whileSpeaking(++spokenWords);
        return true;
    }
    std::function<void(int)> whileSpeaking;
    int spokenWords = 0;
};

struct TriggerHarness
{
    TriggerHarness()
        : settings(dir.filePath(QStringLiteral("tolvanet.ini")))
    {
        auto *layout = new QVBoxLayout(&window);
        const QList<QWidget *> widgets{lectura, paraula, parar, menu, oneWord, other, edit};
        for (QWidget *w : widgets)
            layout->addWidget(w);
        window.resize(400, 300);
        window.addAction(menuTeclat);
        triggers.ConnectToolbar({lectura, paraula, parar, menu});
        triggers.SetOneWordBox(oneWord);
        triggers.SetFontCommand([this] { ++fontDialogs; });
        triggers.SetShowSpeechWindow([this] { ++speechWindows; });
        triggers.SetWordPause(0);
        oneHand.BindMenuItem(menuTeclat);
        oneHand.InstallFilter();
    }

    bool Show()
    {
        if (!ShowActive(&window))
            return false;
        edit->setFocus();
        return edit->hasFocus();
    }

    // Lets every queued key and call run.
    static void Settle()
    {
        for (int i = 0; i < 20; ++i)
            QCoreApplication::processEvents();
    }

    void SetText(const QString &text, int caret)
    {
        edit->setPlainText(text);
        QTextCursor cursor = edit->textCursor();
        cursor.setPosition(caret);
        edit->setTextCursor(cursor);
    }

    void Select(int start, int length)
    {
        QTextCursor cursor = edit->textCursor();
        cursor.setPosition(start);
        cursor.setPosition(start + length, QTextCursor::KeepAnchor);
        edit->setTextCursor(cursor);
    }

    QTemporaryDir dir;
    SettingsStore settings;
    QWidget window;
    QPushButton *lectura = new QPushButton(QStringLiteral("Read"));
    QPushButton *paraula = new QPushButton(QStringLiteral("Words"));
    QPushButton *parar = new QPushButton(QStringLiteral("Stop"));
    QPushButton *menu = new QPushButton(QStringLiteral("Menu"));
    QCheckBox *oneWord = new QCheckBox(QStringLiteral("Només una paraula"));
    QLineEdit *other = new QLineEdit;
    QPlainTextEdit *edit = new QPlainTextEdit;
    QAction *menuTeclat = new QAction(QStringLiteral("Teclat amb una ma"), &window);
    ScriptedSpeech speech;
    ReadingOptions options;
    OneHandKeyboard oneHand{edit, settings, options};
    ReadingTriggers triggers{edit, speech, options, oneHand};
    int fontDialogs = 0;
    int speechWindows = 0;
};
