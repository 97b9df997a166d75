#include "tools/JavaCommands.h"

#include "core/Command.h"
#include "tools/AccentConversions.h"
#include "tools/ConversionEdit.h"
#include "tools/DelphiToJava.h"
#include "tools/JavaGenerators.h"

#include <QDate>
#include <QLocale>

namespace {

// Runs convert on the editor's text and writes back what changed.
template <typename Convert>
void Apply(CommandContext &context, Convert convert)
{
    const QString text = context.editor.Text();
    ApplyConversion(context.editor, text, convert(text));
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
    CommandMenu java(registry, "MenuJava");
    java.Add({"java-application", "MenuAplicacioForm", "Aplicació Form"}, RunApplication);
    java.Add({"java-menu", "MenuJMenu", "JMenu"}, RunMenu);
    java.Add({"java-menu-item", "MenuJMenuItem", "JMenuItem"}, RunMenuItem);
    java.Add({"java-check-box-menu-item", "MenuJCheckBoxMenuItem", "JCheckBoxMenuItem"}, RunCheckBoxMenuItem);
    java.Add({"java-separator", "MenuJRatlla", "Ratlla"}, [](CommandContext &context) {
        Apply(context, [&](const QString &text) {
            return AddJavaSeparator(text, context.session.javaMenuName);
        });
    });
    java.Add({"delphi-to-java", "MenuDelphi2Java", "Delphi 2 Java", {}, true},
             [](CommandContext &context) { Apply(context, DelphiToJava); });
    java.Add({"accents-to-unicode", "MenuCanviarAccentsAUnicode", "Canviar accents a Unicode", {}, true},
             [](CommandContext &context) { Apply(context, AccentsToUnicode); });
    java.Add({"unicode-to-accents", "MenuCanviarUnicodeAAccents", "Canviar Unicode a accents"},
             [](CommandContext &context) { Apply(context, UnicodeToAccents); });
}
