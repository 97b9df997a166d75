#include "tools/JavaCommands.h"

#include "app/Command.h"
#include "tools/AccentConversions.h"
#include "tools/DelphiToJava.h"
#include "tools/JavaGenerators.h"

#include <QDate>
#include <QLocale>

namespace {

const QString kJavaMenu = QStringLiteral("MenuJava");

void Apply(CommandContext &context, const TextConversion &result)
{
    context.editor.SetText(result.text);
    context.editor.Select(result.selStart, result.selLength);
}

Command JavaCommand(const char *id, const char *name, const char *caption,
                    std::function<void(CommandContext &)> run, bool separatorBefore = false)
{
    Command command;
    command.id = QString::fromLatin1(id);
    command.name = QString::fromLatin1(name);
    command.menu = kJavaMenu;
    command.caption = QString::fromUtf8(caption);
    command.run = std::move(run);
    command.separatorBefore = separatorBefore;
    return command;
}

// Asks for a name, starting from the remembered one; nothing when cancelled.
std::optional<QString> AskName(CommandContext &context, const QString &title,
                               const QString &prompt, QString &remembered)
{
    const std::optional<QString> answer = context.ask.AskText(title, prompt, remembered);
    if (answer)
        remembered = *answer;
    return answer;
}

void RunApplication(CommandContext &context)
{
    const std::optional<QString> answer =
        context.ask.AskText(QStringLiteral("Nova aplicació"), QStringLiteral("Nom Aplicació"),
                            context.session.javaApplicationName);
    if (!answer)
        return;
    const QString className = CleanJavaName(*answer);
    context.session.javaApplicationName = className;
    const QString date = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    Apply(context, AddJavaApplication(context.editor.Text(), className, date));
}

void RunMenu(CommandContext &context)
{
    const auto name = AskName(context, QStringLiteral("Menu"), QStringLiteral("Nom Menu"),
                              context.session.javaMenuName);
    if (name)
        Apply(context, AddJavaMenu(context.editor.Text(), *name));
}

void RunMenuItem(CommandContext &context)
{
    const auto name = AskName(context, QStringLiteral("JMenuItem"), QStringLiteral("Nom JMenuItem"),
                              context.session.javaMenuItemName);
    if (name)
        Apply(context, AddJavaMenuItem(context.editor.Text(), *name, context.session.javaMenuName));
}

void RunCheckBoxMenuItem(CommandContext &context)
{
    const auto name = AskName(context, QStringLiteral("JCheckBoxMenuItem"),
                              QStringLiteral("Nom JCheckBoxMenuItem"),
                              context.session.javaCheckBoxMenuItemName);
    if (name)
        Apply(context, AddJavaCheckBoxMenuItem(context.editor.Text(), *name,
                                               context.session.javaMenuName));
}

} // namespace

void RegisterJavaCommands(CommandRegistry &registry)
{
    registry.Add(JavaCommand("java-application", "MenuAplicacioForm", "Aplicació Form",
                             RunApplication));
    registry.Add(JavaCommand("java-menu", "MenuJMenu", "JMenu", RunMenu));
    registry.Add(JavaCommand("java-menu-item", "MenuJMenuItem", "JMenuItem", RunMenuItem));
    registry.Add(JavaCommand("java-check-box-menu-item", "MenuJCheckBoxMenuItem",
                             "JCheckBoxMenuItem", RunCheckBoxMenuItem));
    registry.Add(JavaCommand("java-separator", "MenuJRatlla", "Ratlla", [](CommandContext &context) {
        Apply(context, AddJavaSeparator(context.editor.Text(), context.session.javaMenuName));
    }));
    registry.Add(JavaCommand("delphi-to-java", "MenuDelphi2Java", "Delphi 2 Java",
                             [](CommandContext &context) {
                                 Apply(context, DelphiToJava(context.editor.Text()));
                             }, true));
    registry.Add(JavaCommand("accents-to-unicode", "MenuCanviarAccentsAUnicode",
                             "Canviar accents a Unicode", [](CommandContext &context) {
                                 Apply(context, AccentsToUnicode(context.editor.Text()));
                             }, true));
    registry.Add(JavaCommand("unicode-to-accents", "MenuCanviarUnicodeAAccents",
                             "Canviar Unicode a accents", [](CommandContext &context) {
                                 Apply(context, UnicodeToAccents(context.editor.Text()));
                             }));
}
