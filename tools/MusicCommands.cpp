#include "tools/MusicCommands.h"

#include "core/Command.h"
#include "tools/MusicConverter.h"

namespace {

void MenuPassaraMidiXMFClick(CommandContext &ctx)
{
    const QString text = ctx.editor.Text();
    const MusicConversion conversion = ConvertMusicText(text, ScoreForm::TextAndScore);
    switch (conversion.outcome) {
    case MusicConversion::Outcome::Nothing:
        return;
    case MusicConversion::Outcome::Score:
        // The score follows the text; the caret stands at its end.
        ctx.editor.SetTextFrom(text, conversion.score);
        return;
    case MusicConversion::Outcome::WrongLine: {
        const int lineEnd = ctx.editor.LineStart(conversion.wrongLine)
                            + int(ctx.editor.Line(conversion.wrongLine).size());
        if (conversion.mark.isEmpty())
            ctx.editor.Select(lineEnd, 0);
        else
            ctx.editor.Replace(lineEnd, 0, conversion.mark);
        return;
    }
    }
}

} // namespace

void RegisterMusicCommands(CommandRegistry &registry)
{
    CommandMenu(registry, "MenuUtils")
        .Add({"music-to-musicxml", "MenuPassaraMidiXMF", "Passar a Midi XMF"}, MenuPassaraMidiXMFClick);
}
