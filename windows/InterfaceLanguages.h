#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <span>

class QObject;

// The seven interface languages and the captions they give the speech window and the
// main window. Captions only: voices, messages and tool output keep their language.

inline constexpr int kLanguageCount = 7;

// The main window's property holding the index of the language last applied to it.
inline constexpr char kInterfaceLanguageProperty[] = "interfaceLanguage";

// Row order of the language list; the stored "LLENGUA" value is this index.
enum class InterfaceLanguage { Catala, Castellano, Euskara, Galego, Portugues, English, Francais };

// The list rows: "CATALÀ", "CASTELLANO", "EUSKARA", "GALEGO", "PORTUGUÊS", "ENGLISH", "FRANÇAIS".
QStringList LanguageNames();

enum class CaptionWindow { Speech, Main };

// One control of the caption table with its caption in each language (UTF-8).
struct CaptionRow
{
    CaptionWindow window;
    const char *control;  // the control's design name, used as its objectName
    std::array<const char *, kLanguageCount> captions;
};

// The whole table in the order the captions are assigned: speech window first.
std::span<const CaptionRow> CaptionTable();

// The caption of a control in a language, or a null string when either is unknown.
QString InterfaceCaption(int language, const QString &control);

// Every object named `objectName` that belongs to `root`'s own window (dialogs owned by
// it are left alone), `root` itself included.
QList<QObject *> OwnObjectsNamed(QObject *root, const QString &objectName);

// Sets the caption of every object named `objectName` that belongs to `root`'s own
// window (dialogs owned by it are left alone): a menu's title, an action's, button's
// or label's text. Gives how many objects took it.
int SetCaptionByName(QObject *root, const QString &objectName, const QString &caption);

// Relabels the speech window and the main window in the given language, one control at
// a time in table order, then applies the added texts of that language (AccessibleLabels.h).
// Any index outside 0..6 changes nothing. Gives the names of table controls that were
// not found (a null root is skipped entirely).
QStringList ApplyInterfaceLanguage(int language, QObject *mainWindow, QObject *speechWindow);
