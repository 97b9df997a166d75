#pragma once

#include <QString>

struct ExportResult;

// How the end of an audio export reads in an interface language (an index of the
// language list; Catalan outside it): the sound file's name and folder, that the user
// stopped it, or that none or only the WAV was made.
QString ExportEndText(int language, const ExportResult &result);
// An export's progress in the status line, 0..100.
QString ExportProgressText(int language, int percent);
