#pragma once

#include "tools/ReplaceAll.h"

#include <QString>
#include <QStringList>

// Java Swing source written into the document step by step: a skeleton with three
// marker lines, then menus, items and separators placed above those markers. Each
// function takes the whole text and gives the new text with the caret after what it
// wrote last; a text without the markers a command needs gets its lines at the end.

// The marker lines, leading blanks included.
inline constexpr QStringView kJavaDefinitionsMarker = u"  //Fí definició menú";
inline constexpr QStringView kJavaImplementationMarker = u"    //Fí implementació menú";
inline constexpr QStringView kJavaMethodsMarker = u"  //Fí menú";

// Turns a typed name into an identifier part: drops blanks and punctuation, turns the
// double quote into an apostrophe and takes the accent off the vowels.
QString CleanJavaName(QStringView typed);

// The skeleton's lines for the class className; date is today's date as shown to the user.
QStringList JavaApplicationSkeleton(const QString &className, const QString &date);

// "Aplicació Form": the skeleton at the end of the text.
TextConversion AddJavaApplication(const QString &text, const QString &className,
                                  const QString &date);
// "JMenu": typedName is the name as typed.
TextConversion AddJavaMenu(const QString &text, const QString &typedName);
// "JMenuItem" and "JCheckBoxMenuItem": menuName is the remembered name of the current menu.
TextConversion AddJavaMenuItem(const QString &text, const QString &typedName,
                               const QString &menuName);
TextConversion AddJavaCheckBoxMenuItem(const QString &text, const QString &typedName,
                                       const QString &menuName);
// "Ratlla": a separator in the current menu.
TextConversion AddJavaSeparator(const QString &text, const QString &menuName);
