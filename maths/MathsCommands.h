#pragma once

#include <QString>
#include <QStringList>

class CommandRegistry;
class EditorText;

// "Calcular", "Sistema" and "Mostrar passes de les matemàtiques".
void RegisterMathsCommands(CommandRegistry &registry);

// What "Calcular" makes of a line: the new line "text = value", or the message
// that refuses it (the line then stays as it is).
struct CalculateOutcome
{
    QString line;
    QString message;
};
CalculateOutcome CalculateLine(const QString &line);

// The lines "Sistema" solves: the caret line n first, then the lines above it,
// up to the first one that is not an equation (which is kept) or five in all.
QStringList CollectSystemLines(const EditorText &editor, int n);
