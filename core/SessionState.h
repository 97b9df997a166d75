#pragma once

#include <QString>

// What the commands remember for the whole run and never store in the settings.
struct SessionState
{
    // Find and replace.
    QString findText;
    QString replaceText;

    // Java generators: the remembered answers of their text queries.
    QString javaApplicationName;
    QString javaMenuBarName = QStringLiteral("MenuBarra");
    QString javaMenuName;
    QString javaMenuItemName;
    QString javaCheckBoxMenuItemName;

    // "Mostrar passes de les matemàtiques": on at start.
    bool showMathSteps = true;

    // Loop count of the benchmark's calculation loops; 0 means the design's count.
    qint64 benchmarkIterations = 0;
};
