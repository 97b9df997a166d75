#include "tools/BlackboardCommands.h"

#include "core/Command.h"
#include "tools/BlackboardScript.h"

namespace {

void MenuPissarraaHTML5Click(CommandContext &ctx)
{
    const QString text = ctx.editor.Text();
    CommandHost &host = ctx.host;
    // The caption shows each point number while the script is built.
    const BlackboardScript script = BuildBlackboardScript(
        text, [&host](int point) { host.ShowProgress(QString::number(point)); });
    if (!script.built) {
        ctx.ask.Message(script.message);
        return;
    }
    ctx.editor.SetText(script.script);
    host.ShowProgress(QString());
}

} // namespace

void RegisterBlackboardCommands(CommandRegistry &registry)
{
    // An item of the menu bar itself.
    CommandMenu(registry, "")
        .Add({"blackboard-to-html5", "MenuPissarraaHTML5", "Pissarra a HTML5"}, MenuPissarraaHTML5Click);
}
