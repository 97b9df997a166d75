#include "app/UserQuestions.h"
#include "core/Command.h"
#include "tools/JavaCommands.h"
#include "tools/JavaGenerators.h"

#include <QTest>

namespace {

// Runs a command of the Java menu on text with the given answer to its query.
struct JavaRun
{
    PlainEditorText editor;
    ScriptedQuestions ask;
    SessionState session;
    CommandHost host;
    CommandRegistry registry;

    explicit JavaRun(const QString &text) : editor(text) { RegisterJavaCommands(registry); }

    void Run(const QString &id, std::optional<QString> answer = std::nullopt)
    {
        ask.textAnswers = {answer};
        CommandContext context{editor, ask, session, host};
        const Command *command = registry.Find(id);
        QVERIFY(command);
        RunCommand(*command, context);
    }
    QStringList Lines() const { return editor.Text().split(u'\n'); }
};

const QString kDefinitions = kJavaDefinitionsMarker.toString();
const QString kImplementation = kJavaImplementationMarker.toString();
const QString kMethods = kJavaMethodsMarker.toString();
const QString kMarkedText = QStringLiteral("class X {\n") + kDefinitions + u'\n' + kImplementation
                            + u'\n' + kMethods + QStringLiteral("\n}\n");

} // namespace

class TestJava : public QObject
{
    Q_OBJECT

private slots:
    void cleansNames_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("clean");
        QTest::newRow("blank and accent") << "Hola Món" << "HolaMon";
        QTest::newRow("dots") << "Obrir..." << "Obrir";
        QTest::newRow("double quote") << "a\"b" << "a'b";
        QTest::newRow("accented vowels") << "ÀÁÈÉÍÒÓÚàáèéíòóú" << "AAEEIOOUaaeeioou";
        QTest::newRow("kept letters") << "çñÏüì9_" << "çñÏüì9_";
        QTest::newRow("only deleted characters") << " /.,<>()&'-" << "";
    }

    void cleansNames()
    {
        QFETCH(QString, typed);
        QFETCH(QString, clean);
        QCOMPARE(CleanJavaName(typed), clean);
    }

    void applicationSkeletonRemembersTheCleanName()
    {
        JavaRun run{QString()};
        run.Run(QStringLiteral("java-application"), QStringLiteral("Hola Món"));
        const QStringList lines = run.Lines();
        QCOMPARE(lines.size(), 64); // 63 lines, each ending with a break
        QCOMPARE(lines.first(), QStringLiteral("/* HolaMon.java"));
        QCOMPARE(lines.at(15), QStringLiteral("public class HolaMon extends JFrame{"));
        QCOMPARE(lines.at(18), kDefinitions);
        QCOMPARE(lines.at(29), kImplementation);
        QCOMPARE(lines.at(56), QStringLiteral("    }    "));
        QCOMPARE(lines.at(60), kMethods);
        QCOMPARE(lines.at(62), QStringLiteral("}"));
        QCOMPARE(run.session.javaApplicationName, QStringLiteral("HolaMon"));
        run.Run(QStringLiteral("java-application"), std::nullopt);
        QCOMPARE(run.ask.textQueries.last(), QStringLiteral("Nova aplicació|Nom Aplicació|HolaMon"));
        QCOMPARE(run.Lines().size(), 64);
    }

    void menusAndItemsGoAboveTheSkeletonMarkers()
    {
        JavaRun run{QString()};
        run.Run(QStringLiteral("java-application"), QStringLiteral("App"));
        run.Run(QStringLiteral("java-menu"), QStringLiteral("Fitxer"));
        run.Run(QStringLiteral("java-menu-item"), QStringLiteral("Obrir..."));
        const QStringList lines = run.Lines();
        const int definitions = int(lines.indexOf(kDefinitions));
        QCOMPARE(lines.mid(definitions - 3, 3),
                 QStringList({"  JMenuBar MenuBarra;", "  JMenu MenuFitxer;", "  JMenuItem MenuItemObrir;"}));
        const int implementation = int(lines.indexOf(kImplementation));
        QCOMPARE(lines.at(implementation - 13), QStringLiteral("    MenuFitxer = new JMenu(\"Fitxer\");"));
        QCOMPARE(lines.at(implementation - 10), QStringLiteral("    MenuItemObrir = new JMenuItem(\"Obrir...\");"));
        QCOMPARE(lines.at(implementation - 9), QStringLiteral("    MenuFitxer.add(MenuItemObrir);"));
        const int methods = int(lines.indexOf(kMethods));
        QCOMPARE(lines.mid(methods - 3, 3), QStringList({"  public void MenuItemObrirClick(){", "  }", ""}));
        // The caret stands after the last line written, the declaration.
        QCOMPARE(run.editor.SelStart(), int(lines.mid(0, definitions).join(u'\n').size()) + 1);
    }

    void insertModeWritesEachBlockAboveItsMarker()
    {
        JavaRun run{kMarkedText};
        run.session.javaMenuName = QStringLiteral("Edició");
        run.Run(QStringLiteral("java-check-box-menu-item"), QStringLiteral("Negreta"));
        const QString v = QStringLiteral("MenuJCheckBoxMenuNegreta");
        const QStringList expected = {
            "class X {", "  JCheckBoxMenuItem " + v + ";", kDefinitions,
            "    " + v + " = new JCheckBoxMenuItem(\"Negreta\");", "    MenuEdicio.add(" + v + ");",
            "    " + v + ".addActionListener(", "      new ActionListener(){",
            "        public void actionPerformed(ActionEvent e){", "          " + v + "Click();",
            "        }", "      }", "    );", "", kImplementation,
            "  public void " + v + "Click(){", "  }", "", kMethods, "}", ""};
        QCOMPARE(run.Lines(), expected);
    }

    void appendedCheckBoxItemsAreIndentedDeeper()
    {
        JavaRun run{QStringLiteral("abc")};
        run.Run(QStringLiteral("java-check-box-menu-item"), QStringLiteral("X"));
        const QString v = QStringLiteral("MenuJCheckBoxMenuX");
        const QStringList expected = {
            "abc", "  JCheckBoxMenuItem " + v + ";", "",
            "    " + v + " = new JCheckBoxMenuItem(\"X\");", "      Menu.add(" + v + ");",
            "      " + v + ".addActionListener(", "        new ActionListener(){",
            "          public void actionPerformed(ActionEvent e){", "            " + v + "Click();",
            "          }", "        }", "      );", "", "  public void " + v + "Click(){", "  }", ""};
        QCOMPARE(run.Lines(), expected);
        QCOMPARE(run.editor.SelStart(), run.editor.Length());
    }

    // Texts whose markers do not count: every command appends at the end.
    void appendsWithoutValidMarkers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("no markers") << "x\n";
        QTest::newRow("marker on the first line")
            << kImplementation + u'\n' + kImplementation + u'\n';
        QTest::newRow("trailing blank") << "x\n" + kImplementation + " \n";
        QTest::newRow("other accent") << "x\n    //Fi implementació menú\n";
    }

    void appendsWithoutValidMarkers()
    {
        QFETCH(QString, text);
        JavaRun run{text};
        run.Run(QStringLiteral("java-separator"));
        QCOMPARE(run.editor.Text(), text + QStringLiteral("    Menu.addSeparator();\n\n"));
    }

    void separatorGoesAboveTheImplementationMarker()
    {
        JavaRun run{kMarkedText};
        run.session.javaMenuName = QStringLiteral("Fitxer");
        run.Run(QStringLiteral("java-separator"));
        QCOMPARE(run.Lines().mid(2, 3),
                 QStringList({"    MenuFitxer.addSeparator();", "", kImplementation}));
    }

    // Markers moved out of their skeleton order still receive their own blocks.
    void markersInAnotherOrder()
    {
        const QString text = QStringLiteral("a\n") + kMethods + u'\n'
                             + kImplementation + u'\n' + kDefinitions + u'\n';
        const QStringList lines = AddJavaMenuItem(text, QStringLiteral("B"), QString()).text.split(u'\n');
        QCOMPARE(lines.at(lines.indexOf(kMethods) - 3), QStringLiteral("  public void MenuItemBClick(){"));
        QCOMPARE(lines.at(lines.indexOf(kImplementation) - 1), QString());
        QCOMPARE(lines.at(lines.indexOf(kImplementation) - 10), QStringLiteral("    MenuItemB = new JMenuItem(\"B\");"));
        QCOMPARE(lines.at(lines.indexOf(kDefinitions) - 1), QStringLiteral("  JMenuItem MenuItemB;"));
    }

    void queriesRememberTheirAnswers()
    {
        JavaRun run{QStringLiteral("x")};
        run.Run(QStringLiteral("java-menu"), QStringLiteral("Fitxer / Arxiu"));
        QCOMPARE(run.session.javaMenuName, QStringLiteral("Fitxer / Arxiu"));
        QVERIFY(run.editor.Text().contains(QStringLiteral("MenuFitxerArxiu = new JMenu(\"Fitxer / Arxiu\");")));
        run.Run(QStringLiteral("java-menu-item"), QStringLiteral("Sortir"));
        QVERIFY(run.editor.Text().contains(QStringLiteral("MenuFitxerArxiu.add(MenuItemSortir);")));
        const QString before = run.editor.Text();
        run.Run(QStringLiteral("java-menu"), std::nullopt);
        QCOMPARE(run.editor.Text(), before);
        QCOMPARE(run.session.javaMenuName, QStringLiteral("Fitxer / Arxiu"));
        QCOMPARE(run.ask.textQueries.last(), QStringLiteral("Menu|Nom Menu|Fitxer / Arxiu"));
    }

    void namesMadeOfDeletedCharacters()
    {
        JavaRun run{QString()};
        run.Run(QStringLiteral("java-menu"), QString(10000, u'.'));
        QVERIFY(run.editor.Text().startsWith(QStringLiteral("  JMenu Menu;\n")));
    }
};

QTEST_APPLESS_MAIN(TestJava)
#include "test_java.moc"
