#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// How a long conversion reports and is stopped: progress gets the parts done and the
// parts in all; cancelled is asked between parts. Both are called on the converting
// thread or, for scanned pages, on the recognisers' threads.
struct ConversionControl
{
    std::function<void(int done, int total)> progress;
    std::function<bool()> cancelled;
    // What opens a document locked by a password; empty when none was given.
    QByteArray password;
    // Told, as the pages of a PDF document or a picture are read from the first on, the
    // text of those pages as it stays when the rest come (TextCleanup::SettledText) and
    // how many pages it covers; on the thread that read the page.
    std::function<void(const QString &text, int pages)> settled;
    // The recogniser's languages for scanned pages and pictures, Tesseract's codes
    // joined with '+' ("cat+spa"); empty for the usual ones.
    QString recognisers;
};

// Why a document gave no text, so that the reason is said in the reader's language.
enum class DocumentProblem {
    None,
    Unreadable,      // damaged, incomplete, too large: detail says how, in the reader's words
    Password,        // locked, and no password was given
    WrongPassword,   // locked, and the password given does not open it
    Drm,             // an e-book locked by its seller
    NotADocument,    // a ZIP archive of another kind
    ReaderMissing,   // detail names the program to install
    Mislabeled,      // detail is the kind its name claims
    PlainText,
    NoText,
    Scanned,         // a PDF without text: pictures of pages
    NoTextInPicture, // a picture in which the recogniser found no words
};
