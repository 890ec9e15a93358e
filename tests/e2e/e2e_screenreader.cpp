// The record window as a screen reader finds it over AT-SPI: every control
// named, the boxes by their captions, the picture buttons by what they do,
// and a command carried out through its accessible action.
#include "Desktop.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace TestSupport;
using Desktop::ProgramUnderTest;

namespace {
struct Node
{
    QString role, name;
    QStringList states, actions;
    bool showing() const { return states.contains("showing"); }
};

// atspi_tree.py with these arguments; its output lines, or its error.
QString runTreeTool(const QStringList &arguments, bool *ok)
{
    QProcess tool;
    tool.start("/usr/bin/python3",
               QStringList{qEnvironmentVariable("MORVO_SOURCE_DIR") + "/tests/e2e/atspi_tree.py"} + arguments);
    *ok = tool.waitForFinished(20000) && tool.exitCode() == 0;
    return QString::fromUtf8(*ok ? tool.readAllStandardOutput() : tool.readAllStandardError());
}

QList<Node> accessibleTree()
{
    bool ok = false;
    QList<Node> nodes;
    for (const QString &line : runTreeTool({"MorvoII"}, &ok).split('\n', Qt::SkipEmptyParts)) {
        const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
        nodes.append({object["role"].toString(), object["name"].toString(), object["states"].toVariant().toStringList(),
                      object["actions"].toVariant().toStringList()});
    }
    return ok ? nodes : QList<Node>();
}

const Node *showing(const QList<Node> &tree, const QString &role, const QString &name)
{
    for (const Node &node : tree)
        if (node.showing() && node.role == role && node.name == name)
            return &node;
    return nullptr;
}

// The roles of controls a person reads or works, as AT-SPI names them.
const QStringList ControlRoles{"push button", "text", "list", "image", "table", "radio button", "check box"};
}

class E2EScreenReader : public QObject
{
    Q_OBJECT

    QList<Node> tree_;

    bool startWithScreenReader(ProgramUnderTest &program)
    {
        writeCatalogue(program.catalogue(), {record("1040", "Middle"), record("1041", "Highest")});
        QProcessEnvironment environment;
        environment.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
        program.start(environment);
        return QTest::qWaitFor([&] { return showing(tree_ = accessibleTree(), "push button", "Exit") != nullptr; },
                               20000);
    }

private slots:
    void initTestCase()
    {
        bool ok = false;
        const QString said = runTreeTool({"nothing-by-this-name"}, &ok);
        if (!said.contains("no application"))
            REQUIRE_DESKTOP("atspi", false);
    }

    void everyControlIsNamedAndTheBoxesCarryTheirCaptions()
    {
        ProgramUnderTest program;
        QVERIFY2(startWithScreenReader(program), "the record window never reached the accessibility bus");
        QStringList unnamed;
        for (const Node &node : tree_)
            if (node.showing() && ControlRoles.contains(node.role) && node.name.trimmed().isEmpty())
                unnamed << node.role;
        QVERIFY2(unnamed.isEmpty(), qPrintable("unnamed: " + unnamed.join(", ")));

        for (const char *caption : {"Job Number", "Client Name", "Date", "Project Name", "Project Description",
                                    "Project Location", "Project Manager", "File Name"}) {
            const Node *box = showing(tree_, "text", caption);
            QVERIFY2(box, caption);
            QVERIFY2(box->states.contains("focusable"), caption);
        }
        // Every command is a button a screen reader finds; each one the lock
        // leaves enabled it can press.
        for (const char *command : {"Exit", "Minimize", "Menu", "Help", "Unlock Form", "Browse for drawing",
                                    "Fold panel", "Search", "First", "Prev", "Next", "Last", "Add", "Delete", "Update"})
            QVERIFY2(showing(tree_, "push button", command), command);
        for (const Node &node : tree_)
            if (node.showing() && node.role == "push button" && node.states.contains("enabled"))
                QVERIFY2(!node.actions.isEmpty(), qPrintable(node.name));
        QVERIFY(showing(tree_, "list", "Drawings"));
    }

    // "Unlock Form" pressed through its accessible action unlocks the window.
    void aCommandIsCarriedOutThroughItsAction()
    {
        ProgramUnderTest program;
        QVERIFY(startWithScreenReader(program));
        QVERIFY(showing(tree_, "text", "Job Number")->states.contains("read-only"));
        bool ok = false;
        const QString said = runTreeTool({"MorvoII", "--press", "Unlock Form"}, &ok);
        QVERIFY2(ok, qPrintable(said));
        QVERIFY(QTest::qWaitFor(
            [&] {
                tree_ = accessibleTree();
                const Node *box = showing(tree_, "text", "Job Number");
                return box && !box->states.contains("read-only") && showing(tree_, "push button", "Lock Form");
            },
            10000));
    }
};

QTEST_MAIN(E2EScreenReader)
#include "e2e_screenreader.moc"
