#pragma once

#include "windows/InterfaceLanguages.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <span>

class QObject;

// The rows each window keeps of its captions in the seven interface languages, and how
// a window relabels itself from them when the language changes.

enum class CaptionWindow { Speech, Main };

// One control of the caption table with its caption in each language (UTF-8).
struct CaptionRow
{
    CaptionWindow window;
    const char *control; // the control's design name, used as its objectName
    std::array<const char *, kLanguageCount> captions;
};

// What the interface languages add for keyboard and screen-reader users beside the
// design's captions.
enum class AddedText {
    Caption, // the control's caption, like a row of the caption table
    Hint,    // the tooltip; the accessible name of a button without text, else its description
    Name,    // the accessible name of a control without a visible label
};

struct AddedRow
{
    CaptionWindow window;
    AddedText kind;
    const char *control; // the control's objectName
    std::array<const char *, kLanguageCount> texts;
};

// The caption of a control in a language, or a null string when either is unknown.
QString CaptionOf(std::span<const CaptionRow> rows, int language, const QString &control);

// Every object named `objectName` that belongs to `root`'s own window (dialogs owned by
// it are left alone), `root` itself included.
QList<QObject *> OwnObjectsNamed(QObject *root, const QString &objectName);

// Sets the caption of every object named `objectName` that belongs to `root`'s own
// window (dialogs owned by it are left alone): a menu's title, an action's, button's
// or label's text. Gives how many objects took it.
int SetCaptionByName(QObject *root, const QString &objectName, const QString &caption);

// Relabels `root`'s own window in a language: the caption rows one at a time in order,
// then the added texts, then every labelled control is named after its visible label.
// An index outside 0..6 or a null root changes nothing. Gives the names of caption rows
// whose control was not found.
QStringList RelabelWindow(int language, std::span<const CaptionRow> captions, std::span<const AddedRow> added,
                          QObject *root);
