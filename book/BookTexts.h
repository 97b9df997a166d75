#pragma once

#include <QString>

// What a book or audiobook export tells the user, in the interface language (a row of
// the language list: Catalan, Spanish, Basque, Galician, Portuguese, English, French;
// Catalan outside it).
namespace BookTexts {

enum class Text {
    Chapter,        // "Capítol %1 de %2"
    Packing,        // putting the book together
    Saved,          // "%1" is the file
    Empty,          // the document has no text
    NoBook,         // ends a failure: no book file was made
    ProgramMissing, // "%1" the program, "%2" its package
    Stopped,
    BadName,        // the name field cannot name a file
    Busy,           // another book is being made
    ProgramFailed,  // "%1" the program, "%2" what it said
    ProgramHung,    // "%1" the program, ended after running far too long
    NoWordTimes,    // the renderer gave no times to light the sentences by
    ChapterFailed,  // "%1" the chapter's number, "%2" why the recording failed
};

QString Of(Text text, int language);

} // namespace BookTexts
