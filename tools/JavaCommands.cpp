#include "tools/JavaCommands.h"

#include "app/Command.h"
#include "tools/AccentConversions.h"
#include "tools/ConversionEdit.h"
#include "tools/DelphiToJava.h"
#include "tools/JavaGenerators.h"

#include <QDate>
#include <QLocale>

namespace {

const QString kJavaMenu = QStringLiteral("MenuJava");

// Runs convert on the editor's text and writes back what changed.
template <typename Convert>
void Apply(CommandContext &context, Convert convert)
{
    const QString text = context.editor.Text();
    ApplyConversion(context.editor, text, convert(text));
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
    Apply(context, [&](const QString &text) { return AddJavaApplication(text, className, date); });
}

void RunMenu(CommandContext &context)
{
    const auto name = AskName(context, QStringLiteral("Menu"), QStringLiteral("Nom Menu"),
                              context.session.javaMenuName);
    if (name)
        Apply(context, [&](const QString &text) { return AddJavaMenu(text, *name); });
}

void RunMenuItem(CommandContext &context)
{
    const auto name = AskName(context, QStringLiteral("JMenuItem"), QStringLiteral("Nom JMenuItem"),
                              context.session.javaMenuItemName);
    if (name)
        Apply(context, [&](const QString &text) {
            return AddJavaMenuItem(text, *name, context.session.javaMenuName);
        });
}

void RunCheckBoxMenuItem(CommandContext &context)
{
    const auto name = AskName(context, QStringLiteral("JCheckBoxMenuItem"),
                              QStringLiteral("Nom JCheckBoxMenuItem"),
                              context.session.javaCheckBoxMenuItemName);
    if (name)
        Apply(context, [&](const QString &text) {
            return AddJavaCheckBoxMenuItem(text, *name, context.session.javaMenuName);
        });
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
        Apply(context, [&](const QString &text) {
            return AddJavaSeparator(text, context.session.javaMenuName);
        });
    }));
    registry.Add(JavaCommand("delphi-to-java", "MenuDelphi2Java", "Delphi 2 Java",
                             [](CommandContext &context) {
                                 Apply(context, DelphiToJava);
                             }, true));
    registry.Add(JavaCommand("accents-to-unicode", "MenuCanviarAccentsAUnicode",
                             "Canviar accents a Unicode", [](CommandContext &context) {
                                 Apply(context, AccentsToUnicode);
                             }, true));
    registry.Add(JavaCommand("unicode-to-accents", "MenuCanviarUnicodeAAccents",
                             "Canviar Unicode a accents", [](CommandContext &context) {
                                 Apply(context, UnicodeToAccents);
                             }));
}
