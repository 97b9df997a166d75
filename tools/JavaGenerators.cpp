#include "tools/JavaGenerators.h"

#include <algorithm>

namespace {

// The credit on the skeleton's title line.
const QString kCreditAuthor = QStringLiteral("Tolvanet Corvalida");
const QString kCreditAddress = QStringLiteral("https://tolvanet.example.org");

QString Indented(int blanks, const QString &text)
{
    return QString(blanks, u' ') + text;
}

// Where the line equal to marker starts, or -1. Only the first such line counts, and a
// marker on the very first line counts as missing.
qsizetype FindMarker(QStringView text, QStringView marker)
{
    qsizetype start = 0;
    for (int line = 0;; ++line) {
        const qsizetype end = text.indexOf(u'\n', start);
        const QStringView current = text.mid(start, (end < 0 ? text.size() : end) - start);
        if (current == marker)
            return line == 0 ? -1 : start;
        if (end < 0)
            return -1;
        start = end + 1;
    }
}

// Adds lines at the end the way a line list does: a text without a final line break
// gets one before the new lines, otherwise every new line ends with one.
TextConversion AppendLines(const QString &text, const QStringList &lines)
{
    QString result = text;
    if (text.isEmpty() || text.endsWith(u'\n')) {
        for (const QString &line : lines)
            result += line + u'\n';
    } else {
        result += u'\n' + lines.join(u'\n');
    }
    return {result, int(result.size()), 0};
}

struct Block
{
    qsizetype position;  // start of the marker line the block goes above
    QStringList lines;
    bool caretAfter;     // the caret ends after this block
};

// Inserts each block right above its marker, whatever order the markers stand in.
TextConversion InsertBlocks(const QString &text, QList<Block> blocks)
{
    std::sort(blocks.begin(), blocks.end(),
              [](const Block &a, const Block &b) { return a.position < b.position; });
    QString result;
    qsizetype copied = 0;
    qsizetype caret = 0;
    for (const Block &block : blocks) {
        result += QStringView(text).mid(copied, block.position - copied);
        for (const QString &line : block.lines)
            result += line + u'\n';
        if (block.caretAfter)
            caret = result.size();
        copied = block.position;
    }
    result += QStringView(text).mid(copied);
    return {result, int(caret), 0};
}

struct MenuItemLines
{
    QString definition;
    QStringList implementation;
    QStringList methods;
};

MenuItemLines ItemLines(const QString &type, const QString &variable, const QString &label,
                        const QString &menuVariable, int extraIndent)
{
    MenuItemLines lines;
    lines.definition = Indented(2, type + u' ' + variable + u';');
    const int x = extraIndent;
    lines.implementation = {
        Indented(4, variable + QStringLiteral(" = new ") + type + QStringLiteral("(\"") + label
                        + QStringLiteral("\");")),
        Indented(4 + x, menuVariable + QStringLiteral(".add(") + variable + QStringLiteral(");")),
        Indented(4 + x, variable + QStringLiteral(".addActionListener(")),
        Indented(6 + x, QStringLiteral("new ActionListener(){")),
        Indented(8 + x, QStringLiteral("public void actionPerformed(ActionEvent e){")),
        Indented(10 + x, variable + QStringLiteral("Click();")),
        Indented(8 + x, QStringLiteral("}")),
        Indented(6 + x, QStringLiteral("}")),
        Indented(4 + x, QStringLiteral(");")),
        QString(),
    };
    lines.methods = {
        Indented(2, QStringLiteral("public void ") + variable + QStringLiteral("Click(){")),
        Indented(2, QStringLiteral("}")),
        QString(),
    };
    return lines;
}

TextConversion AddItem(const QString &text, const QString &type, const QString &variable,
                       const QString &label, const QString &menuName, int appendExtraIndent)
{
    const QString menuVariable = QStringLiteral("Menu") + CleanJavaName(menuName);
    const qsizetype definitions = FindMarker(text, kJavaDefinitionsMarker);
    const qsizetype implementation = FindMarker(text, kJavaImplementationMarker);
    const qsizetype methods = FindMarker(text, kJavaMethodsMarker);
    if (definitions >= 0 && implementation >= 0 && methods >= 0) {
        const MenuItemLines lines = ItemLines(type, variable, label, menuVariable, 0);
        return InsertBlocks(text, {{methods, lines.methods, false},
                                   {implementation, lines.implementation, false},
                                   {definitions, {lines.definition}, true}});
    }
    const MenuItemLines lines = ItemLines(type, variable, label, menuVariable, appendExtraIndent);
    return AppendLines(text, QStringList{lines.definition, QString()} + lines.implementation
                                 + lines.methods);
}

} // namespace

QString CleanJavaName(QStringView typed)
{
    QString clean;
    clean.reserve(typed.size());
    for (const QChar c : typed) {
        switch (c.unicode()) {
        case u' ': case u'/': case u'.': case u',': case u'<': case u'>':
        case u'(': case u')': case u'&': case u'\'': case u'-':
            break;
        case u'"': clean += u'\''; break;
        case u'À': case u'Á': clean += u'A'; break;
        case u'È': case u'É': clean += u'E'; break;
        case u'Í': clean += u'I'; break;
        case u'Ò': case u'Ó': clean += u'O'; break;
        case u'Ú': clean += u'U'; break;
        case u'à': case u'á': clean += u'a'; break;
        case u'è': case u'é': clean += u'e'; break;
        case u'í': clean += u'i'; break;
        case u'ò': case u'ó': clean += u'o'; break;
        case u'ú': clean += u'u'; break;
        default: clean += c; break;
        }
    }
    return clean;
}

QStringList JavaApplicationSkeleton(const QString &className, const QString &date)
{
    const QString a = className;
    const QString tooBig = QStringLiteral("if (frameSize.height > screenSize.height) frameSize.height = screenSize.height;");
    const QString tooWide = QStringLiteral("if (frameSize.width > screenSize.width) frameSize.width = screenSize.width;");
    return {
        QStringLiteral("/* ") + a + QStringLiteral(".java"),
        QStringLiteral(" * ") + date,
        QStringLiteral(" */"),
        QString(),
        QStringLiteral("import java.awt.event.ActionEvent;"),
        QStringLiteral("import java.awt.event.ActionListener;"),
        QStringLiteral("import javax.swing.UIManager;"),
        QString(),
        QStringLiteral("import java.awt.*;"),
        QStringLiteral("import javax.swing.JFrame;"),
        QStringLiteral("import javax.swing.JMenuBar;"),
        QStringLiteral("import javax.swing.JMenu;"),
        QStringLiteral("import javax.swing.JMenuItem;"),
        QStringLiteral("import javax.swing.JCheckBoxMenuItem;"),
        QString(),
        QStringLiteral("public class ") + a + QStringLiteral(" extends JFrame{"),
        QString(),
        Indented(2, QStringLiteral("JMenuBar MenuBarra;")),
        kJavaDefinitionsMarker.toString(),
        QString(),
        Indented(2, QStringLiteral("DialogAboutBox DialogAboutBox;")),
        QString(),
        Indented(2, QStringLiteral("public ") + a + QStringLiteral("() {")),
        QString(),
        Indented(4, QStringLiteral("setTitle(\"JAVA ") + a + QStringLiteral(" - ") + kCreditAuthor
                        + QStringLiteral(" - ") + kCreditAddress + QStringLiteral("\");")),
        QString(),
        Indented(4, QStringLiteral("MenuBarra = new JMenuBar();")),
        Indented(4, QStringLiteral("setJMenuBar(MenuBarra);")),
        QString(),
        kJavaImplementationMarker.toString(),
        QString(),
        Indented(4, QStringLiteral("setResizable(true);")),
        Indented(4, QStringLiteral("setSize(400,300);")),
        Indented(4, QStringLiteral("setDefaultCloseOperation(JFrame.EXIT_ON_CLOSE);")),
        QString(),
        Indented(4, QStringLiteral("DialogAboutBox = new DialogAboutBox(this,true);")),
        Indented(4, QStringLiteral("Dimension screenSize = Toolkit.getDefaultToolkit().getScreenSize();")),
        Indented(4, QStringLiteral("Dimension frameSize = DialogAboutBox.getSize();")),
        Indented(4, tooBig),
        Indented(4, tooWide),
        Indented(4, QStringLiteral("DialogAboutBox.setLocation((screenSize.width - frameSize.width) / 2, (screenSize.height - frameSize.height) / 2);")),
        Indented(4, QStringLiteral("DialogAboutBox.setVisible(true);")),
        Indented(4, QStringLiteral("frameSize = getSize();")),
        Indented(4, tooBig),
        Indented(4, tooWide),
        Indented(4, QStringLiteral("setLocation((screenSize.width - frameSize.width) / 2, (screenSize.height - frameSize.height) / 2);")),
        Indented(4, QStringLiteral("setVisible(true);")),
        Indented(2, QStringLiteral("}")),
        QString(),
        Indented(2, QStringLiteral("public static void main(String[] args) {")),
        Indented(4, QStringLiteral("try  {")),
        Indented(6, QStringLiteral("UIManager.setLookAndFeel(new com.sun.java.swing.plaf.windows.WindowsLookAndFeel());")),
        Indented(6, QStringLiteral("//UIManager.setLookAndFeel(new com.sun.java.swing.plaf.motif.MotifLookAndFeel());")),
        Indented(6, QStringLiteral("//UIManager.setLookAndFeel(new com.sun.java.swing.plaf.metal.MetalLookAndFeel());")),
        Indented(4, QStringLiteral("}")),
        Indented(6, QStringLiteral("catch (Exception e) {")),
        Indented(4, QStringLiteral("}    ")),
        Indented(4, QStringLiteral("new ") + a + QStringLiteral("();")),
        Indented(2, QStringLiteral("}")),
        QString(),
        kJavaMethodsMarker.toString(),
        QString(),
        QStringLiteral("}"),
    };
}

TextConversion AddJavaApplication(const QString &text, const QString &className,
                                  const QString &date)
{
    return AppendLines(text, JavaApplicationSkeleton(className, date));
}

TextConversion AddJavaMenu(const QString &text, const QString &typedName)
{
    const QString variable = QStringLiteral("Menu") + CleanJavaName(typedName);
    const QString definition = Indented(2, QStringLiteral("JMenu ") + variable + u';');
    const QStringList implementation = {
        Indented(4, variable + QStringLiteral(" = new JMenu(\"") + typedName + QStringLiteral("\");")),
        Indented(4, QStringLiteral("MenuBarra.add(") + variable + QStringLiteral(");")),
        QString(),
    };
    const qsizetype definitions = FindMarker(text, kJavaDefinitionsMarker);
    const qsizetype implementationMarker = FindMarker(text, kJavaImplementationMarker);
    if (definitions >= 0 && implementationMarker >= 0)
        return InsertBlocks(text, {{implementationMarker, implementation, false},
                                   {definitions, {definition}, true}});
    return AppendLines(text, QStringList{definition, QString()} + implementation);
}

TextConversion AddJavaMenuItem(const QString &text, const QString &typedName,
                               const QString &menuName)
{
    return AddItem(text, QStringLiteral("JMenuItem"),
                   QStringLiteral("MenuItem") + CleanJavaName(typedName), typedName, menuName, 0);
}

TextConversion AddJavaCheckBoxMenuItem(const QString &text, const QString &typedName,
                                       const QString &menuName)
{
    // Appended check-box items are indented two blanks deeper after their constructor line.
    return AddItem(text, QStringLiteral("JCheckBoxMenuItem"),
                   QStringLiteral("MenuJCheckBoxMenu") + CleanJavaName(typedName), typedName,
                   menuName, 2);
}

TextConversion AddJavaSeparator(const QString &text, const QString &menuName)
{
    const QStringList lines = {
        Indented(4, QStringLiteral("Menu") + CleanJavaName(menuName) + QStringLiteral(".addSeparator();")),
        QString(),
    };
    const qsizetype implementation = FindMarker(text, kJavaImplementationMarker);
    if (implementation >= 0)
        return InsertBlocks(text, {{implementation, lines, true}});
    return AppendLines(text, lines);
}
